#pragma once
// Whether a file can be written where the user asked, found out before a
// long computation rather than at its end.
#include <string>

namespace tarnvale {

/// True when @p path can be written: its folder exists and takes new files,
/// and the path is not a folder or a file that may not be replaced. Nothing
/// is created. Otherwise false, with a sentence naming the file in @p why
/// ("cannot write '/missing/dir/x.png': the folder /missing/dir does not
/// exist").
bool CanWriteFile(const std::string& path, std::string& why);

}  // namespace tarnvale
