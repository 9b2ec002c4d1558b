#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

#include <orvexconfigvalidate/Deployment.hpp>

#include "DeploymentCases.hpp"
#include "TempSchemaDir.hpp"

namespace OrvexConfigValidate {
namespace {

namespace fs = std::filesystem;

const char* const kServer = R"({"mode": 1, "enginePolicy": {}})";
const char* const kBridges = R"({"groups": []})";

std::string named(const std::string& file) {
    return std::string(R"({"mode": 1, "enginePolicy": {}, "bridgingConfigurationFileName": ")") +
           file + "\"}";
}

std::string same(const std::string& path) {
    return fs::weakly_canonical(path).string();
}

// The plan as lines relative to the root: "server -> bridges (found)" or
// "alone bridges".
std::vector<std::string> lines(const DeploymentPlan& plan, const std::string& root) {
    const auto rel = [&root](const std::string& path) {
        return path.empty() ? std::string("-") : fs::relative(path, root).generic_string();
    };
    std::vector<std::string> out;
    for (const DeploymentUnit& unit : plan.units) {
        out.push_back(unit.serverFile.empty()
                          ? "alone " + rel(unit.bridgesFile)
                          : rel(unit.serverFile) + " -> " + rel(unit.bridgesFile) +
                                (unit.bridgesFound ? " (found)" : ""));
    }
    return out;
}

// Runs the body in a child process: true when it ended well within the
// time, false when it failed or had to be stopped (it blocked).
bool finishesWithin(std::chrono::seconds limit, const std::function<bool()>& body) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(body() ? 0 : 1);
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A walk stopped by its bound (here after the first folder's names) leaves
// the folders it did not reach to be learnt as without a walk.
TEST(DeploymentIndex, EachCaseOfTheSharedTableIsPairedFromBothSidesWithOrWithoutAWalk) {
    struct Walk {
        bool walk;
        std::uint64_t maxEntries;
    };
    for (const auto& c : Testing::deploymentCases()) {
        TempSchemaDir scratch;
        const std::string folder = Testing::writeDeploymentCase(scratch.path(), c);
        const std::string server = folder + "/orvexbridged_conf.json";
        const std::string bridges = (fs::path(folder) / c.bridges).lexically_normal().string();
        for (const Walk walk : {Walk{true, 0}, Walk{false, 0}, Walk{true, 1}}) {
            DeploymentIndexOptions options;
            options.walk = walk.walk;
            options.bounds.maxEntries = walk.maxEntries;
            DeploymentIndex index(folder, options);
            EXPECT_EQ(index.walked().complete, walk.maxEntries == 0) << c.name;
            EXPECT_EQ(index.walked().stoppedAt, walk.maxEntries == 0 ? "" : "entries") << c.name;
            const std::optional<std::string> found = index.serverOf(bridges);
            EXPECT_EQ(found.has_value(), c.paired)
                << c.name << " walk " << walk.walk << " bound " << walk.maxEntries;
            if (found) {
                EXPECT_EQ(same(*found), same(server)) << c.name;
            }
            const BridgesFileChoice choice = index.bridgesOf(server);
            EXPECT_EQ(!choice.path.empty() && same(choice.path) == same(bridges), c.paired)
                << c.name << " walk " << walk.walk << " bound " << walk.maxEntries;
        }
    }
}

// The server names a file in a subfolder: the file is its partner from both
// sides, claimed in the plan, and not a deployment of its own.
TEST(DeploymentIndex, ABridgesFileInASubfolderBelongsToTheServerAbove) {
    TempSchemaDir scratch;
    scratch.write("site/orvexbridged_conf.json", named("conf/north.json"));
    scratch.write("site/conf/north.json", kBridges);
    scratch.write("site/conf/deeper/bridges.json", kBridges);
    const std::string root = scratch.path();
    for (const bool walk : {true, false}) {
        DeploymentIndexOptions options;
        options.walk = walk;
        DeploymentIndex index(root, options);
        const auto server = index.serverOf(root + "/site/conf/north.json");
        ASSERT_TRUE(server.has_value()) << walk;
        EXPECT_EQ(same(*server), same(root + "/site/orvexbridged_conf.json"));
        EXPECT_FALSE(index.serverOf(root + "/site/conf/deeper/bridges.json").has_value());
    }
    DeploymentIndex index(root);
    const DeploymentPlan plan = index.plan();
    EXPECT_EQ(lines(plan, root), (std::vector<std::string>{
                                     "site/orvexbridged_conf.json -> site/conf/north.json (found)",
                                     "alone site/conf/deeper/bridges.json"}));
    ASSERT_EQ(plan.claimedFiles.size(), 1u);
    EXPECT_EQ(same(plan.claimedFiles[0]), same(root + "/site/conf/north.json"));
    EXPECT_EQ(plan.totalBytes(),
              named("conf/north.json").size() + 2 * std::string(kBridges).size());
}

// After each change and a refresh of that one path, the plan is the one a
// new walk finds; a file nobody refreshed stays unseen (there was no walk).
TEST(DeploymentIndex, RefreshingOnePathGivesThePlanOfANewWalk) {
    TempSchemaDir scratch;
    const std::string root = scratch.path();
    scratch.write("s/orvexbridged_conf.json", kServer);
    scratch.write("s/bridges.json", kBridges);
    scratch.write("s/conf/bridges.json", kBridges);
    std::map<std::string, std::string> buffers;
    DeploymentIndexOptions options;
    options.openBuffers =
        [&buffers](const std::string& path) -> std::shared_ptr<const std::string> {
        const auto open = buffers.find(same(path));
        if (open == buffers.end()) return nullptr;
        return std::make_shared<const std::string>(open->second);
    };
    DeploymentIndex index(root, options);
    struct Step {
        const char* name;
        std::function<void()> change;
        const char* path;
    };
    const std::vector<Step> steps = {
        {"server names the subfolder's file",
         [&] { scratch.write("s/orvexbridged_conf.json", named("conf/bridges.json")); },
         "s/orvexbridged_conf.json"},
        {"claimed file deleted", [&] { fs::remove(root + "/s/conf/bridges.json"); },
         "s/conf/bridges.json"},
        {"claimed file created", [&] { scratch.write("s/conf/bridges.json", kBridges); },
         "s/conf/bridges.json"},
        {"open buffer names the default again",
         [&] { buffers[same(root + "/s/orvexbridged_conf.json")] = kServer; },
         "s/orvexbridged_conf.json"},
        {"new lone file", [&] { scratch.write("t/bridges.json", kBridges); }, "t/bridges.json"},
        {"new server claims it", [&] { scratch.write("t/orvexbridged_conf.json", kServer); },
         "t/orvexbridged_conf.json"},
        {"server deleted", [&] { fs::remove(root + "/t/orvexbridged_conf.json"); },
         "t/orvexbridged_conf.json"},
        {"buffer closed", [&] { buffers.clear(); }, "s/orvexbridged_conf.json"},
    };
    for (const Step& step : steps) {
        step.change();
        index.refresh(root + "/" + step.path);
        EXPECT_EQ(lines(index.plan(), root), lines(DeploymentIndex(root, options).plan(), root))
            << step.name;
    }
    EXPECT_EQ(lines(index.plan(), root),
              (std::vector<std::string>{"s/orvexbridged_conf.json -> s/conf/bridges.json (found)",
                                        "alone t/bridges.json"}));
    scratch.write("u/bridges.json", kBridges);
    index.refresh(root + "/s/bridges.json");
    EXPECT_EQ(index.plan().units.size(), 2u) << "a refresh walked the tree";
}

// A FIFO or a device where a partner file would be is refused at once: a
// blocking open or read would never end.
TEST(DeploymentIndex, AFifoOrADeviceWhereAPartnerWouldBeIsRefusedWithoutWaiting) {
    TempSchemaDir scratch;
    const std::string root = scratch.path();
    scratch.write("a/bridges.json", kBridges);
    ASSERT_EQ(::mkfifo((root + "/a/orvexbridged_conf.json").c_str(), 0600), 0);
    scratch.write("b/orvexbridged_conf.json", kServer);
    ASSERT_EQ(::mkfifo((root + "/b/bridges.json").c_str(), 0600), 0);
    const bool device =
        ::mknod((root + "/c-orvexbridged_conf.json").c_str(), S_IFCHR | 0600, makedev(1, 5)) == 0;
    for (const bool walk : {true, false}) {
        EXPECT_TRUE(finishesWithin(
            std::chrono::seconds(10),
            [&] {
                DeploymentIndexOptions options;
                options.walk = walk;
                DeploymentIndex index(root, options);
                const bool noServer = !index.serverOf(root + "/a/bridges.json");
                const FileText fifo = index.read(root + "/b/bridges.json");
                const FileText zero = index.read(device ? root + "/c-orvexbridged_conf.json"
                                                        : std::string("/dev/zero"));
                const std::vector<std::string> expected = {
                    "a/orvexbridged_conf.json -> -",
                    "b/orvexbridged_conf.json -> b/bridges.json (found)"};
                return noServer && !fifo.text && !zero.text &&
                       fifo.error.find("not a regular file") != std::string::npos &&
                       zero.error.find("not a regular file") != std::string::npos &&
                       (!walk || lines(index.plan(), root) == expected);
            }))
            << "walk " << walk;
    }
}

}  // namespace
}  // namespace OrvexConfigValidate
