#pragma once
// Texts that come from files (IC names, checksum characters) and paths, as they are
// printed: a control character could otherwise retitle the terminal, clear it or
// hide the lines that follow, and a bidirectional override could reorder them.

#include <string>

namespace vantrel {

// A text from a file: control characters (C0, DEL, C1), line and paragraph
// separators and bidirectional controls as \xNN or \uNNNN, and the backslash as
// "\\", so that every escape reads one way.
std::wstring ShownText(const std::wstring& text);

// A path as typed: the same characters escaped except the backslash (a Windows
// path is full of them), and the bytes of a Linux name that are not UTF-8 as \xNN.
std::wstring ShownPath(const std::wstring& path);

}  // namespace vantrel
