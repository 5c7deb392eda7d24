#include "fault_option.h"

#include "frames.h"

#include <climits>
#include <cstdlib>
#include <utility>

namespace unitsim {
namespace {

namespace cmd = fenlo::frames::cmd;

const std::pair<const char*, FaultKind> Kinds[] = {
    {"no-answer", FaultKind::NoAnswer},         {"refuse", FaultKind::Refuse},
    {"cut-short", FaultKind::CutShort},         {"wrong-check-bytes", FaultKind::WrongCheckBytes},
    {"wrong-data", FaultKind::WrongData},       {"stray-bytes", FaultKind::StrayBytes},
    {"port-vanishes", FaultKind::PortVanishes},
};

const std::pair<const char*, Byte> Commands[] = {
    {"sync", SyncByte},           {"password", cmd::Password},    {"write", cmd::Write},    {"read", cmd::Read},
    {"erase", cmd::EraseSegment}, {"mass-erase", cmd::MassErase}, {"load-pc", cmd::LoadPc}, {"version", cmd::Version},
};

// A whole number in `base` no greater than `max`, the whole text of it.
std::optional<unsigned long> number(const std::string& text, int base, unsigned long max)
{
    if (text.empty() || text[0] == '-' || text[0] == '+')
        return std::nullopt;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, base);
    if (*end != '\0' || value > max)
        return std::nullopt;
    return value;
}

std::optional<unsigned long> hex(std::string text, unsigned long max)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.erase(0, 2);
    return number(text, 16, max);
}

std::optional<Bytes> hexBytes(const std::string& text)
{
    if (text.empty() || text.size() % 2 != 0)
        return std::nullopt;
    Bytes out;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const auto b = number(text.substr(i, 2), 16, 0xFF);
        if (!b)
            return std::nullopt;
        out.push_back(static_cast<Byte>(*b));
    }
    return out;
}

std::optional<Fault> fail(std::string& error, std::string message)
{
    error = std::move(message);
    return std::nullopt;
}

} // namespace

const char* const FaultOptionHelp =
    "  --fault KIND:COMMAND[@ADDRESS][,skip=N][,times=N|all][,keep=N][,bytes=HEX]\n"
    "      strike the frames of COMMAND (at ADDRESS only, if given): answer SKIP of them\n"
    "      rightly first (default 0), then strike TIMES of them (default 1); may be repeated\n"
    "      KIND     no-answer          the frame is lost: nothing done, nothing sent\n"
    "               refuse             nothing done, 0xA0 sent\n"
    "               cut-short          done; only the first KEEP bytes of the answer go out\n"
    "               wrong-check-bytes  done; a data reply with its check bytes inverted\n"
    "               wrong-data         done; a data reply with its first data byte changed\n"
    "                                  and check bytes to match\n"
    "               stray-bytes        done; BYTES (default 0055) go out ahead of the answer\n"
    "               port-vanishes      the unit hears and answers nothing from then on\n"
    "      COMMAND  sync password write read erase mass-erase load-pc version, or the\n"
    "               command byte in hexadecimal; ADDRESS in hexadecimal (1080 Segment A,\n"
    "               1000 Segment B, FF60 the identification block)\n";

std::optional<Fault> ParseFault(const std::string& text, std::string& error)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos)
        return fail(error, "no ':' between the kind and the command in \"" + text + "\"");
    const std::string kind = text.substr(0, colon);
    Fault fault{FaultKind::NoAnswer, 0, std::nullopt};
    bool kindKnown = false;
    for (const auto& [name, value] : Kinds)
        if (kind == name) {
            fault.kind = value;
            kindKnown = true;
        }
    if (!kindKnown)
        return fail(error, "unknown fault \"" + kind + "\"");

    std::string rest = text.substr(colon + 1);
    std::string options;
    if (const std::size_t comma = rest.find(','); comma != std::string::npos) {
        options = rest.substr(comma + 1);
        rest.erase(comma);
    }
    std::string command = rest, address;
    const std::size_t at = rest.find('@');
    if (at != std::string::npos) {
        command = rest.substr(0, at);
        address = rest.substr(at + 1);
    }
    bool commandKnown = false;
    for (const auto& [name, value] : Commands)
        if (command == name) {
            fault.command = value;
            commandKnown = true;
        }
    if (!commandKnown) {
        const auto byte = hex(command, 0xFF);
        if (!byte)
            return fail(error, "unknown command \"" + command + "\"");
        fault.command = static_cast<Byte>(*byte);
    }
    if (at != std::string::npos) {
        const auto value = hex(address, 0xFFFF);
        if (!value)
            return fail(error, "the address \"" + address + "\" is not hexadecimal up to FFFF");
        if (fault.command == SyncByte)
            return fail(error, "the sync byte has no address");
        fault.address = static_cast<Address>(*value);
    }

    bool keepGiven = false, bytesGiven = false;
    while (!options.empty()) {
        std::string option = options;
        if (const std::size_t comma = options.find(','); comma != std::string::npos) {
            option = options.substr(0, comma);
            options.erase(0, comma + 1);
        } else {
            options.clear();
        }
        const std::size_t eq = option.find('=');
        const std::string name = option.substr(0, eq);
        const std::string value = eq == std::string::npos ? std::string() : option.substr(eq + 1);
        if (name == "skip" || (name == "times" && value != "all") || name == "keep") {
            const auto n = number(value, 10, INT_MAX);
            if (!n)
                return fail(error, "\"" + option + "\" needs a whole number");
            if (name == "skip")
                fault.skip = static_cast<int>(*n);
            else if (name == "times")
                fault.times = static_cast<int>(*n);
            else {
                fault.keep = *n;
                keepGiven = true;
            }
        } else if (name == "times") {
            fault.times = INT_MAX;
        } else if (name == "bytes") {
            const auto bytes = hexBytes(value);
            if (!bytes)
                return fail(error, "\"" + option + "\" needs pairs of hexadecimal digits");
            fault.stray = *bytes;
            bytesGiven = true;
        } else {
            return fail(error, "unknown setting \"" + option + "\"");
        }
    }
    if (fault.times == 0)
        return fail(error, "times=0 would strike nothing");
    if (keepGiven && fault.kind != FaultKind::CutShort)
        return fail(error, "keep= belongs to cut-short only");
    if (bytesGiven && fault.kind != FaultKind::StrayBytes)
        return fail(error, "bytes= belongs to stray-bytes only");
    return fault;
}

} // namespace unitsim
