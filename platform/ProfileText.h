// The Windows profile (INI) rules on a file's bytes, for the posix stand-in
// of GetPrivateProfileIntA and WritePrivateProfileStringA, and for reading a
// file the ANSI functions cannot (one that starts with a UTF-8 byte order
// mark):
// - section and key names compare without case (ASCII letters; the second
//   byte of a Shift-JIS character compares exactly), blanks around names and
//   around '=' do not count;
// - the first of duplicate sections, and within it the first of duplicate
//   keys, is the one read and written;
// - ';' starts a comment only as the first non-blank character of a line;
// - lines before the first section belong to none; a line that starts with
//   '[' names a section (up to ']' or the line's end); a UTF-8 byte order
//   mark is ordinary bytes, as for the ANSI functions;
// - writing edits the text in place: an existing key's value is replaced on
//   its own line, a new key goes after the last key of its section, a new
//   section at the end of the file, new lines end in CR LF, and everything
//   else is kept byte for byte.
#pragma once

#include <string>

namespace profile_text {

// The value's integer as GetPrivateProfileIntA reads it: defaultValue for a
// missing section or key or an empty value, else an optional sign and the
// decimal digits up to the first other character, modulo 2^32.
int ReadInt(const std::string& text, const char* section, const char* key, int defaultValue);

// The value's text as GetPrivateProfileStringA reads it: blanks around it
// and one pair of matching quotes removed. False, with value emptied, for a
// missing section or key.
bool ReadString(const std::string& text, const char* section, const char* key, std::string* value);

// The text after setting key in section to value.
std::string WriteString(const std::string& text, const char* section, const char* key,
                        const char* value);

} // namespace profile_text
