// Putting a fixed text in the place of the file it was worked out from
// without harming that file: the new file keeps the owner, group, mode and
// extended attributes (ACLs among them) of the one read, and replaces it
// only while its name still leads to that file, unchanged.
#pragma once

#include <memory>
#include <string>

#include "FixSource.hpp"

namespace OrvexConfigValidate::Tool {

// Why the file read may not be replaced at all, known before anything is
// written; "" when it may.
std::string replaceRefusal(const FixSource& source);

class Replacement {
  public:
    // Writes the text to a new file beside the source's, with its owner,
    // group, mode and extended attributes; problem() says why not.
    Replacement(std::shared_ptr<const FixSource> source, const std::string& text);
    // Removes the new file unless it was put in place.
    ~Replacement();
    Replacement(Replacement&& other) noexcept;
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;
    Replacement& operator=(Replacement&&) = delete;

    // "" when the new file is ready.
    const std::string& problem() const { return problem_; }
    // "" when the source's name still leads to the file read, unchanged.
    std::string changed() const;
    // Renames the new file over the source's, unless that changed. "" when
    // done, else why not.
    std::string putInPlace();

  private:
    std::string write(int fd, const std::string& text) const;

    std::shared_ptr<const FixSource> source_;
    std::string temporary_;  // "" when there is no new file (any more)
    std::string problem_;
};

}  // namespace OrvexConfigValidate::Tool
