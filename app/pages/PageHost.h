#pragma once
// What a page of the main window borrows from it: the session, the Input Data
// page's values and texts, the terrain directory, Calculate and the status
// bar. The main window fills it in; tests drive the pages through the window.
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "link/LinkRecord.h"
#include "session/Session.h"

namespace tarnvale::ui {

struct PageHost {
  Session* session = nullptr;
  /// The Input Data page's current values; none when a field the run needs
  /// holds no valid number (the user has then been told which).
  std::function<std::optional<InputValues>()> inputs;
  /// The text of a field of the main window by its name ("FREQ", "TX_H" ...).
  std::function<QString(const QString& name)> fieldText;
  /// Directory of the .hgt tiles, with its trailing separator.
  std::function<std::string()> terrainDirectory;
  /// The main window's Calculate.
  std::function<void()> calculate;
  /// A short message in the status bar.
  std::function<void(const QString& text)> status;
  /// The Link Budget page's record; none when a field holds no valid number
  /// (the user has then been told which).
  std::function<std::optional<LinkRecord>()> link;
};

}  // namespace tarnvale::ui
