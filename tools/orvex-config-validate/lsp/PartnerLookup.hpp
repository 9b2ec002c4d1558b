// Which server file names a bridges file, and which bridges file a server
// file names, by the library's one rule (bridgesFileFor) and its reader;
// the same questions the library's deployment index answers, asked of the
// folders themselves: a server file in the bridges file's folder, then in
// each folder above it up to the root, and any file told to be one.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Deployment.hpp>

namespace OrvexConfigValidate::Lsp {

class PartnerLookup {
  public:
    PartnerLookup(std::string root, DeploymentIndexOptions options);

    const std::string& root() const { return root_; }
    BridgesFileChoice bridgesOf(const std::string& serverFile);
    std::optional<std::string> serverOf(const std::string& bridgesFile);
    // Nothing is kept between questions: every answer reads anew.
    void refresh(const std::string&) {}
    void setServerFile(const std::string& path, bool isServer);
    FileText read(const std::string& path);

  private:
    std::string root_;
    DeploymentIndexOptions options;
    std::set<std::string> toldServers;
};

}  // namespace OrvexConfigValidate::Lsp
