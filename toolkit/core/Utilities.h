#pragma once
// Small shared operations with no GUI: file names and folders, text fields,
// timestamp names, colours, the client computer name and zlib streams.

#include <chrono>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace toolkit {

// True when the upper-cased extension, dot included, occurs anywhere in the
// list of picture extensions (so ".P" counts); false without an extension.
bool IsPictureFileName(const std::string& fileName);

// The temporary folder with a trailing "/"; throws std::runtime_error
// "Unable to generate temporary path" when there is none.
std::string GetTempDir();

// The user's private folder for logs and any file holding personal numbers,
// with a trailing "/": $XDG_STATE_HOME/tervalen, else ~/.local/state/tervalen,
// else $XDG_RUNTIME_DIR/tervalen (relative settings are ignored). It is made
// with mode 0700 and a wider mode is narrowed. Throws std::runtime_error when
// none can be made, or when the folder is a link or belongs to someone else.
std::string GetPrivateStateDir();

// Files under folder (recursively) that match pattern ("" or " " matches all).
// Within one folder the search stops at the first file entry that gives at
// least one match, so later sub-folders of that folder are not searched.
// Errors go to onError; the list keeps what was found before.
std::vector<std::string> FindFiles(const std::string& folder, const std::string& pattern,
                                   const std::function<void(const std::string&)>& onError = {});

// Each part before a separator, empty parts included; a trailing separator
// is implied.
std::vector<std::string> SplitText(const std::string& text, char separator);

// The field after the index-th separator (0: the start), trimmed; a text with
// too few separators gives its first field.
std::string GetDelimitedField(const std::string& text, int index, char separator);

// The part before the first separator; empty when it does not occur.
std::string TextBefore(const std::string& text, const std::string& separator);

// Removes tabs, line breaks and the characters ! & - / and backslash.
std::string RemoveSpecialCharacters(const std::string& text);

// "2023.5.7.9.3.0.<1..999>": each part without its leading zero, then a
// random number that never repeats the previous call's.
std::string MakeTimestampName(const std::tm& when);
// The part before the random number, for callers that add their own.
std::string TimestampPrefix(const std::tm& when);

// Last modification time of a file; nullopt when it cannot be read.
std::optional<std::filesystem::file_time_type> FileDate(const std::string& fileName);

inline const char* BoolDigit(bool b) { return b ? "1" : "0"; }

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};
// Silver for the fourteen strong standard colours, grey for silver and white,
// otherwise white on dark and black on light colours.
Rgb ContrastColor(Rgb colour);

// A 24-bit bitmap: rows of blue, green, red bytes, stride bytes apart.
struct Bitmap24View {
    const std::uint8_t* bits = nullptr;
    int width = 0, height = 0, stride = 0;
};
// True when every pixel is black; a bitmap without rows is black.
bool IsBlackBitmap(const Bitmap24View& bitmap);

// zlib in one piece. Compression reads the whole source at the best level;
// decompression reads from the source's position to its end and leaves the
// target at its start. Both throw std::runtime_error on a zlib error.
void CompressStream(std::istream& source, std::iostream& target);
void DecompressStream(std::istream& source, std::iostream& target);

// The session's environment, as far as the computer name depends on it.
struct SessionEnvironment {
    std::string hostName;       // this machine's name
    std::string sshConnection;  // $SSH_CONNECTION ("client port server port")
    std::string sshClient;      // $SSH_CLIENT ("client port server")
    std::string display;        // $DISPLAY
    static SessionEnvironment current();
};
// Remote when the session came in over SSH or shows on another host's X
// display.
bool IsRemoteSession(const SessionEnvironment& env = SessionEnvironment::current());
// This machine's name (at most 15 characters), or in a remote session the
// client's: the host of a remote X display, else the SSH client's address.
std::string GetClientComputerName(const SessionEnvironment& env = SessionEnvironment::current());

} // namespace toolkit
