#pragma once
// Text scanning shared by the pattern readers, the unit parsers and the
// record's text form: locale-free numbers, words and lines.
#include <string>
#include <string_view>
#include <vector>

namespace tarnvale::link {

/// @p text without a leading UTF-8 byte-order mark, which Windows editors
/// write at the start of a text file.
std::string_view WithoutByteOrderMark(std::string_view text);

/// @p text without leading and trailing blanks (space, tab, CR, LF, VT, FF).
std::string_view Trim(std::string_view text);

/// True when @p a and @p b are equal ignoring ASCII case.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

/// Reads the leading decimal number of @p text ("12", "-3.5", "+4e2", ".5")
/// in the C locale and removes it from @p text. Infinities, NaN and numbers
/// out of the double range are refused. False leaves @p text untouched.
bool ScanNumber(std::string_view& text, double& value);

/// True when the whole of @p token is one finite number (see ScanNumber).
bool ParseNumber(std::string_view token, double& value);

/// The words of @p text, split at blanks.
std::vector<std::string_view> SplitWords(std::string_view text);

/// The lines of @p text: ended by LF, CR LF or a lone CR; a last line without
/// an end counts, an empty text has none.
std::vector<std::string_view> SplitLines(std::string_view text);

/// The shortest text that reads back as exactly @p value ("0.1", "-0",
/// "1e-300"); "nan", "inf" and "-inf" for the others.
std::string ShortestText(double value);

/// @p text shortened to @p maxChars characters with "..." when cut, for quoting
/// a line in a message.
std::string Quote(std::string_view text, std::size_t maxChars = 40);

}  // namespace tarnvale::link
