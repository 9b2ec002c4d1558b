// "file:" URIs of the editor and the paths they name.
#pragma once

#include <string>

namespace OrvexConfigValidate::Lsp {

// The local path of a "file:" URI (percent escapes decoded), or "" for any
// other URI or a host other than "localhost".
std::string pathFromUri(const std::string& uri);

// The "file:" URI of an absolute path.
std::string uriFromPath(const std::string& path);

// The folder part and the last component of a path ("/a/b.json" -> "/a", "b.json").
std::string directoryOf(const std::string& path);
std::string fileNameOf(const std::string& path);

}  // namespace OrvexConfigValidate::Lsp
