#pragma once
// LinkRecord: the link budget's inputs (transmitter power, both antennas and
// feeders, the receiver's threshold) and their lossless text form.
#include <string>
#include <string_view>

#include "link/LinkAntenna.h"

namespace tarnvale {

/// The inputs of a link budget, as the user gives them.
struct LinkRecord {
  double powerDbm = 30.0;         ///< transmitter power at its output (dBm); shown in W by FormatWatts
  LinkAntenna tx;                 ///< transmitting antenna and feeder
  LinkAntenna rx;                 ///< receiving antenna and feeder
  double rxThresholdDbm = -100.0; ///< receiver sensitivity the margin is taken against (dBm)
  /// For maps: the receiving antenna turns toward the transmitter at every
  /// point (its peak gain counts); false: it keeps rx.azimuthDeg and
  /// rx.downtiltDeg everywhere.
  bool rxPointsAtTx = true;
};

/// True when every number of @p record is finite, as the text form needs.
/// @param[out] why the first field that is not, when given
bool ValidLinkRecord(const LinkRecord& record, std::string* why = nullptr);

/// The record as text, every field and both loaded patterns included (so a
/// record still has its patterns when the files are gone), for the settings
/// file. Lines of "key value" after the first line "tarnvale-link 1", ended by
/// "end": numbers in their shortest exact decimal form, texts with '%', '=',
/// spaces and control bytes written %XX. DecodeLinkRecord gives back every
/// double of a valid record bit for bit.
std::string EncodeLinkRecord(const LinkRecord& record);

/// Reads a text written by EncodeLinkRecord. Keys it does not know are
/// skipped (a later program's fields); anything else out of form is refused:
/// a missing first or last line, a key given twice, a number that is not
/// finite or not whole, a bad escape, a pattern the pattern rules refuse.
/// @param[out] record replaced on success, untouched on failure
/// @param[out] error the line and why, when given
bool DecodeLinkRecord(std::string_view text, LinkRecord& record, std::string* error = nullptr);

}  // namespace tarnvale
