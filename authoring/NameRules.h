#pragma once

#include <QString>

class IPrompter;

// What an editor may type as a category, product name or type code. Blanks around a name are
// never meant (they make two entries that look alike in every list), and a name becomes a folder
// or file name in the published copy, whose components hold at most 255 bytes.
namespace NameRules {
// The longest name, in characters: 64 Chinese characters are 192 bytes in a file name.
inline constexpr int kMaxLength = 64;

// The name as it is stored: without leading and trailing blanks.
QString Clean(const QString& name);
// True when `name` (already cleaned) is short enough; otherwise tells why and returns false.
bool FitsOrTell(IPrompter& prompter, const QString& name);
QString TooLongText();
}  // namespace NameRules
