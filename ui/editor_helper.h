// The editor helper: the program shipped beside the plug-in's binary that shows the page in a web view
// embedded into the host's window, on platforms where the plug-in cannot link a toolkit itself. Both
// sides build and read its command line from these names.
//
//   dovrel-editor --parent WINDOW --socket FD --root FOLDER --url URL --width PIXELS --height PIXELS
//
// It talks to the plug-in in editor frames over the socket and ends when the socket closes.
#pragma once

namespace vanto {

inline constexpr const char* kEditorHelperName = "dovrel-editor";

inline constexpr const char* kEditorParentOption = "--parent";
inline constexpr const char* kEditorSocketOption = "--socket";
inline constexpr const char* kEditorRootOption = "--root";
inline constexpr const char* kEditorUrlOption = "--url";
inline constexpr const char* kEditorWidthOption = "--width";
inline constexpr const char* kEditorHeightOption = "--height";

// Exit statuses of the helper besides 0.
inline constexpr int kEditorHelperUsage = 64;       // the command line was wrong
inline constexpr int kEditorHelperNoDisplay = 69;   // no X display, or the toolkit would not start
inline constexpr int kEditorHelperLoadFailed = 127; // as the loader reports a missing library

} // namespace vanto
