#include "ConfigGenerator.hpp"

namespace OrvexConfigValidate {

namespace {

std::string groupId(std::size_t i) {
    return "{grp-" + std::to_string(i) + "}";
}

void appendGroup(std::string& out, std::size_t i) {
    const std::string n = std::to_string(i);
    const std::string octet = std::to_string(i % 250 + 1);
    out += "    {\"id\": \"" + groupId(i) + "\", \"type\": 1, \"name\": \"Talk group " + n +
           "\",\n"
           "     \"txAudio\": {\"encoder\": 25, \"framingMs\": 60},\n"
           "     \"bridgeTargetOutputDetail\": {\"mode\": 2, \"mixedStreamTxParams\": "
           "{\"voiceToneLevel\": -12}},\n"
           "     \"vortapoints\": [{\"id\": \"vp-" +
           n +
           "-a\", \"host\": {\"address\": \"vp-a.example.net\", \"port\": 7443}},\n"
           "                     {\"id\": \"vp-" +
           n +
           "-b\", \"host\": {\"address\": \"vp-b.example.net\", \"port\": 7443}}],\n"
           "     \"rx\": {\"address\": \"239.42.7." +
           octet + "\", \"port\": " + std::to_string(40000 + i % 20000) +
           "},\n"
           "     \"tx\": {\"address\": \"239.42.7." +
           octet + "\", \"port\": " + std::to_string(40000 + i % 20000) + "}}";
}

void appendBridge(std::string& out, std::size_t i, std::size_t groups) {
    const std::string n = std::to_string(i);
    out += "    {\"id\": \"{brg-" + n + "}\", \"name\": \"Bridge " + n +
           "\", \"enabled\": true, \"active\": true,\n"
           "     \"groups\": [\"" +
           groupId(i) + "\", \"" + groupId((i + 1) % groups) +
           "\"], \"resource\": {\"id\": \"{res-" + n + "}\"}, \"lossGraceMs\": 2000}";
}

void appendDenseGroup(std::string& out, std::size_t i) {
    const std::string n = std::to_string(i);
    const std::string port = std::to_string(40000 + i % 20000);
    out += "{\"id\":\"g" + n +
           "\",\"type\":1,\"bridgeTargetOutputDetail\":{\"mode\":2},"
           "\"vortapoints\":[{\"id\":\"a\",\"host\":{\"address\":\"h1\",\"port\":7443}},"
           "{\"id\":\"b\",\"host\":{\"address\":\"h2\",\"port\":7444}}],"
           "\"tx\":{\"port\":" +
           port + "},\"rx\":{\"port\":" + port + "}}";
}

void appendDenseBridge(std::string& out, std::size_t i, std::size_t groups) {
    out += "{\"id\":\"b" + std::to_string(i) + "\",\"groups\":[\"g" + std::to_string(i) + "\",\"g" +
           std::to_string((i + 1) % groups) + "\"],\"enabled\":true,\"lossGraceMs\":0}";
}

}  // namespace

std::string generateDenseBridgingConfiguration(std::size_t groups) {
    std::string out;
    out.reserve(groups * 300 + 32);
    out += "{\"groups\":[";
    for (std::size_t i = 0; i < groups; ++i) {
        if (i) out += ",";
        appendDenseGroup(out, i);
    }
    out += "],\"bridges\":[";
    for (std::size_t i = 0; i < groups; ++i) {
        if (i) out += ",";
        appendDenseBridge(out, i, groups);
    }
    out += "]}\n";
    return out;
}

std::string generateBridgingConfiguration(std::size_t groups) {
    std::string out;
    out.reserve(groups * 800 + 64);
    out += "{\n  \"groups\": [\n";
    for (std::size_t i = 0; i < groups; ++i) {
        if (i) out += ",\n";
        appendGroup(out, i);
    }
    out += "\n  ],\n  \"bridges\": [\n";
    for (std::size_t i = 0; i < groups; ++i) {
        if (i) out += ",\n";
        appendBridge(out, i, groups);
    }
    out += "\n  ]\n}\n";
    return out;
}

std::string generateServerConfiguration(int mode) {
    return "{\"id\": \"orvexbridged-gen\", \"mode\": " + std::to_string(mode) +
           ", \"bridgingConfigurationFileName\": \"bridges.json\", "
           "\"bridgingConfigurationFileCheckSecs\": 15, "
           "\"enginePolicy\": {\"internals\": {\"watchdog\": {\"intervalMs\": 5000}}}, "
           "\"statusReport\": {\"intervalSecs\": 30}}";
}

std::string composeObs(const std::string& serverText, const std::string& bridgesText) {
    return "{\"server\": " + serverText + ", \"bridges\": " + bridgesText + "}";
}

}  // namespace OrvexConfigValidate
