// How deployment files are named and compared: one spelling for reports,
// one key per lexical path, one identity per file on disk.
#pragma once

#include <string>

#include <orvexconfigvalidate/Deployment.hpp>  // joinPath

namespace OrvexConfigValidate {

// The folder of a file ("." for a bare name).
std::string folderOf(const std::string& file);

// The lexical form of a path: "./a//b/" and "a/b" are one key; "" is ".".
std::string pathKey(const std::string& path);

// The file a path reaches once its symbolic links are followed (the path
// itself when that cannot be told); a file that does not exist yet has one.
std::string fileIdentity(const std::string& path);

// Whether a path lies lexically inside a folder (or is the folder).
bool lexicallyWithin(const std::string& folder, const std::string& path);

// Whether a path inside root lies in a folder whose name starts with "."
// (below the root; the root itself may be one).
bool inHiddenFolder(const std::string& root, const std::string& path);

// Whether a name sorts before another as the walk meets them: folder by
// folder, each name in byte order.
bool walkOrderBefore(const std::string& a, const std::string& b);

}  // namespace OrvexConfigValidate
