#include <gtest/gtest.h>

#include "lsp/FileUri.hpp"

namespace OrvexConfigValidate::Lsp {
namespace {

TEST(FileUri, DecodesPercentEscapes) {
    EXPECT_EQ(pathFromUri("file:///etc/orvex/bridges.json"), "/etc/orvex/bridges.json");
    EXPECT_EQ(pathFromUri("file:///a%20b/c%C3%A9.json"), "/a b/c\xC3\xA9.json");
    EXPECT_EQ(pathFromUri("FILE://localhost/x%2fy"), "/x/y");
    EXPECT_EQ(pathFromUri("file:///a/b.json?query#frag"), "/a/b.json");
    // A malformed escape is kept as written.
    EXPECT_EQ(pathFromUri("file:///a%zz%4"), "/a%zz%4");
}

TEST(FileUri, NamesNoPathForOtherSchemesHostsOrNul) {
    EXPECT_EQ(pathFromUri("untitled:Untitled-1"), "");
    EXPECT_EQ(pathFromUri("file://server/share/a.json"), "");
    EXPECT_EQ(pathFromUri("file://"), "");
    EXPECT_EQ(pathFromUri("file:///a%00b"), "");
}

TEST(FileUri, RoundTripsAPathWithSpecialCharacters) {
    const std::string path = "/tmp/d\xC3\xA9mo dir/#1 [x]%/bridges.json";
    const std::string uri = uriFromPath(path);
    EXPECT_EQ(uri.find(' '), std::string::npos);
    EXPECT_EQ(uri.find('#'), std::string::npos);
    EXPECT_EQ(pathFromUri(uri), path);
}

TEST(FileUri, SplitsFolderAndName) {
    EXPECT_EQ(directoryOf("/a/b/c.json"), "/a/b");
    EXPECT_EQ(directoryOf("/c.json"), "/");
    EXPECT_EQ(directoryOf("c.json"), "");
    EXPECT_EQ(fileNameOf("/a/b/c.json"), "c.json");
    EXPECT_EQ(fileNameOf("/a/b/"), "");
}

}  // namespace
}  // namespace OrvexConfigValidate::Lsp
