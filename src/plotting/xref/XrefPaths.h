#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::plotting {

// Path arithmetic of the reference repair. The application hands over Windows
// paths (backslashes); Windows also accepts forward slashes, and the native
// build's paths are POSIX, so both count as separators here.
bool isSeparator(char c);

// The text after the stored path's last separator; a bare name as it is.
std::string referenceFileName(std::string_view storedPath);

// The folder with one separator at its end, in the separator style it uses.
std::string withTrailingSeparator(std::string_view folder);

// The places a moved reference may have gone to along with its drawing, in the
// order they are tried: for each component of the stored path after the first,
// longer than two characters and found in the drawing folder past its first
// character, the drawing folder up to that component followed by the stored
// path from that component on. "C:\Jobs\J12\Plans" and "D:\Old\J12\Refs\site.dwg"
// give "C:\Jobs\J12\Refs\site.dwg".
std::vector<std::string> reRootingCandidates(std::string_view drawingFolder, std::string_view storedPath);

// The drawing folder's components below its root, first to last: after the
// first double separator of a network folder (one separator kept in front),
// else after the drive's colon, else a POSIX folder from its leading
// separator. A folder with no root has none.
std::vector<std::string> upwardComponents(std::string_view drawingFolder);

// The folder names of a path, outermost first, its file name left out and empty names (doubled separators)
// passed over: "D:\\Old\\Refs2\\x\\site.dwg" and "D:\\Old\\Refs2\\x\\" both give D:, Old, Refs2, x.
std::vector<std::string> folderNamesOf(std::string_view path);

// Where the upward search looks for a component: the drawing folder up to the
// component's first occurrence, when the component is longer than two
// characters, holds no dot and occurs past the folder's first character.
std::optional<std::string> upwardSearchRoot(std::string_view drawingFolder, std::string_view component);

// Characters, not bytes, of UTF-8 text.
std::size_t characterCount(std::string_view text);

}  // namespace quillon::plotting
