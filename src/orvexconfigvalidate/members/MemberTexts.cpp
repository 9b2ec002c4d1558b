#include "members/MemberTexts.hpp"

#include <iterator>

namespace OrvexConfigValidate {

namespace {

constexpr char kSeconds[] = "seconds";
constexpr char kNotRead[] = "";

}  // namespace

// Types, bounds and enumerators are read from the schemas; only what they
// cannot say is written here.
const MemberText kMemberTexts[] = {
    // The server file.
    {"BridgingServerConfiguration", "/id", "Server id",
     "Names this server instance in its reports.", "", kNotRead},
    {"BridgingServerConfiguration", "/mode", "Server operating mode",
     "How the server bridges: raw, multistream, mixed stream, or as each group's output mode "
     "dictates. Under omRaw, omMultistream and omMixedStream the server forces group types and "
     "output modes at run time; under omMultistream and omMixedStream every group must be an "
     "audio group.",
     "",
     "0 (omRaw), also for a float such as 2.0; a bridges file checked without its server file "
     "runs as 3 (omADictatedByGroup)"},
    {"BridgingServerConfiguration", "/serviceConfigurationFileCheckSecs",
     "Server file check interval", "How often the server looks at this file for changes.", kSeconds,
     kNotRead},
    {"BridgingServerConfiguration", "/bridgingConfigurationFileName", "Bridges file",
     "The bridges file the server reads. A relative name is taken in this file's folder and "
     "never leads out of it; an absolute name counts by its last component.",
     "", "bridges.json beside this file"},
    {"BridgingServerConfiguration", "/bridgingConfigurationFileCommand", "Bridges file command",
     "A command that produces the bridges file.", "", kNotRead},
    {"BridgingServerConfiguration", "/bridgingConfigurationFileCheckSecs",
     "Bridges file check interval", "How often the server looks at the bridges file for changes.",
     kSeconds, kNotRead},
    {"BridgingServerConfiguration", "/certStoreFileName", "Certificate store",
     "The certificate store file of the server's TLS connections.", "", kNotRead},
    {"BridgingServerConfiguration", "/certStorePasswordHex", "Certificate store password",
     "The certificate store's password, hex-encoded.", "", kNotRead},
    {"BridgingServerConfiguration", "/configurationCheckSignalName", "Configuration check signal",
     "The name of the signal that makes the server check its configuration files at once.", "",
     kNotRead},
    {"BridgingServerConfiguration", "/enginePolicy", "Engine policy",
     "Settings of the bridging engine. The file must have it; an empty object will do.", "",
     kNotRead},
    {"BridgingServerConfiguration", "/statusReport", "Status report",
     "What the server reports of its state, and where.", "", kNotRead},
    {"BridgingServerConfiguration", "/externalHealthCheckResponder", "Health check responder",
     "The responder that answers health checks from outside.", "", kNotRead},
    {"BridgingServerConfiguration", "/internals", "Internals", "Tuning of the server's internals.",
     "", kNotRead},
    {"BridgingServerConfiguration", "/fipsCrypto", "FIPS cryptography",
     "Settings of the FIPS cryptographic module.", "", kNotRead},
    {"BridgingServerConfiguration", "/statusUpload", "Status upload",
     "Upload of the server's status to a web service.", "", kNotRead},
    {"BridgingServerConfiguration", "/statusUpload/baseUrl", "Upload URL",
     "The base URL the status is uploaded to.", "", kNotRead},
    {"BridgingServerConfiguration", "/statusUpload/timeoutSecs", "Upload timeout",
     "How long one upload may take.", kSeconds, kNotRead},
    {"BridgingServerConfiguration", "/statusUpload/apiKey", "Upload API key",
     "The key the upload service is given.", "", kNotRead},
    {"BridgingServerConfiguration", "/statusUpload/tls", "Upload TLS",
     "TLS settings of the upload connection.", "", kNotRead},
    {"BridgingServerConfiguration", "/nsm", "NSM",
     "Embedded NSM settings: a status report the nodes share, and the nodes.", "", kNotRead},
    {"BridgingServerConfiguration", "/nsm/statusReport", "NSM status report",
     "The status report the NSM nodes share.", "", kNotRead},
    {"BridgingServerConfiguration", "/nsm/nodes", "NSM nodes", "The NSM nodes, an object each.", "",
     kNotRead},
    {"BridgingServerConfiguration", "/nsmNodes", "NSM nodes (legacy)",
     "The older place of nsm.nodes, still accepted.", "", kNotRead},
    {"BridgingServerConfiguration", "/kelCloud", "Kel cloud",
     "Settings of the Kel cloud connection.", "", kNotRead},

    // The bridges file.
    {"BridgingConfiguration", "/bridges", "Bridges",
     "The bridges, each joining the groups it names.", "", "no bridges"},
    {"BridgingConfiguration", "/bridges/*/id", "Bridge id", "Names the bridge in reports.", "",
     "none: the bridge is named by its index"},
    {"BridgingConfiguration", "/bridges/*/name", "Bridge name", "A name for people.", "", kNotRead},
    {"BridgingConfiguration", "/bridges/*/groups", "Bridged groups",
     "The ids of the groups the bridge joins; each must be the id of a group in \"groups\".", "",
     "no groups (an enabled bridge without any is reported); an entry that is not a string is "
     "passed over"},
    {"BridgingConfiguration", "/bridges/*/enabled", "Enabled",
     "Whether the bridge runs. A disabled bridge is not checked against the groups.", "",
     "true: only the JSON boolean false disables a bridge (\"false\", a string, does not)"},
    {"BridgingConfiguration", "/bridges/*/active", "Active", "Whether the bridge is active.", "",
     kNotRead},
    {"BridgingConfiguration", "/bridges/*/resource", "Bridge resource",
     "The resource the bridge is bound to.", "", kNotRead},
    {"BridgingConfiguration", "/bridges/*/resource/id", "Resource id", "The resource's id.", "",
     kNotRead},
    {"BridgingConfiguration", "/bridges/*/lossGraceMs", "Loss grace time",
     "How long the bridge rides out the loss of a group's stream before it acts on it.",
     "milliseconds", kNotRead},
    {"BridgingConfiguration", "/groups", "Groups", "The groups the bridges name by id.", "",
     "no groups, and then no bridge is checked either"},

    // One group.
    {"Group", "/id", "Group id",
     "The id that bridges name the group by; no other group of the file may have it.", "",
     "none: no bridge can name the group"},
    {"Group", "/type", "Group type",
     "What the group carries. Under the server modes omMultistream and omMixedStream it must be "
     "gtAudio; under omRaw the server forces gtRaw.",
     "", "0 (gtUnknown), also for a float such as 1.0"},
    {"Group", "/name", "Group name", "A name for people; editors show it in the outline.", "",
     kNotRead},
    {"Group", "/txAudio", "Transmit audio", "Settings of the audio the group transmits.", "",
     kNotRead},
    {"Group", "/bridgeTargetOutputDetail", "Bridge output", "How bridges deliver to this group.",
     "", "output mode 0 (bomRaw)"},
    {"Group", "/bridgeTargetOutputDetail/mode", "Bridge output mode",
     "The output mode bridges deliver to the group with. Under the server mode "
     "omADictatedByGroup, bomRaw needs a gtRaw group and bomMultistream or bomMixedStream a "
     "gtAudio one; the other server modes force their own.",
     "", "0 (bomRaw), also for a float such as 2.0"},
    {"Group", "/bridgeTargetOutputDetail/mixedStreamTxParams", "Mixed stream parameters",
     "Transmit parameters of the mixed stream.", "", kNotRead},
    {"Group", "/vortapoints", "Vortapoints",
     "The relay endpoints of the group. A group needs these, tx/rx or an appTransport, or its "
     "traffic goes nowhere.",
     "", "none (an empty array counts as none)"},
    {"Group", "/vortapoints/*/id", "Vortapoint id", "Names the relay endpoint.", "", kNotRead},
    {"Group", "/vortapoints/*/host", "Vortapoint host", "Where the relay endpoint is reached.", "",
     kNotRead},
    {"Group", "/vortapoints/*/host/address", "Host address", "The host name or IP address.", "",
     kNotRead},
    {"Group", "/vortapoints/*/host/port", "Host port", "The port on that host.", "", kNotRead},
    {"Group", "/rx", "Receive", "Where the group receives its traffic.", "",
     "none (an empty object counts as none)"},
    {"Group", "/tx", "Transmit", "Where the group sends its traffic.", "",
     "none (an empty object counts as none)"},
    {"Group", "/appTransport", "Application transport",
     "An application transport for the group; it gives the group networking when it has a "
     "non-empty string \"id\".",
     "", "none"},

    // A network address, a schema of its own.
    {"NetworkAddress", "/address", "Address", "The host name or IP address.", "", kNotRead},
    {"NetworkAddress", "/port", "Port", "The port on that host.", "", kNotRead},

    // The envelope of a server file and its bridges file.
    {"Obs", "/server", "Server file", "The contents of the server file.", "",
     "an empty object: mode 0 (omRaw)"},
    {"Obs", "/bridges", "Bridges file", "The contents of the bridges file.", "",
     "an empty object: nothing to check"},
};

const std::size_t kMemberTextCount = std::size(kMemberTexts);

}  // namespace OrvexConfigValidate
