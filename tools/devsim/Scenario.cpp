#include "tools/devsim/Scenario.h"

#include "tools/devsim/SensorModels.h"
#include "tools/devsim/TextWords.h"

#include "platform/CLocale.h"

#include <fstream>
#include <sstream>

namespace devsim {

namespace {

struct ChannelText {
    std::string sensor;
    std::string signal;
    bool present = false;
};

bool DeviceKey(const std::string& key, const std::string& value, DeviceOptions& d, std::string& error)
{
    uint64_t n = 0;
    if (key == "firmware-version" || key == "bank" || key == "sequence") {
        if (!ParseUnsigned(value, n) || n > 0x7FFFFFFF) {
            error = "'" + key + "' needs a whole number";
            return false;
        }
        (key == "firmware-version" ? d.firmwareVersion : key == "bank" ? d.bank : d.sequence) = int32_t(n);
        return true;
    }
    if (key == "delivery") {
        if (!ParseDelivery(value, d.delivery)) {
            error = "delivery is block, sets, bulk or channel";
            return false;
        }
        return true;
    }
    if (key == "read-reply") {
        if (value != "narrow" && value != "wide") {
            error = "read-reply is narrow or wide";
            return false;
        }
        d.wideReadReply = value == "wide";
        return true;
    }
    error = "unknown device key '" + key + "'";
    return false;
}

// Catches a misspelt event when the file is read rather than minutes later when it falls due.
bool CheckEventCommand(const std::string& command, std::string& error)
{
    const std::vector<std::string> w = SplitWords(command);
    const std::string& verb = w[0];
    if (verb == "plug") {
        SensorSpec spec;
        if (w.size() < 3) {
            error = "plug needs a channel and a sensor";
            return false;
        }
        return ParseSensorSpec(command.substr(command.find(w[2], command.find(w[1]) + w[1].size())), spec, error);
    }
    if (verb == "fault") {
        Fault fault;
        return ParseFault(command.substr(command.find(verb) + verb.size()), fault, error);
    }
    if (verb == "pull" || verb == "hello" || verb == "stop" || verb == "delivery" || verb == "read-reply"
        || verb == "status" || verb == "quit")
        return true;
    error = "unknown event command '" + verb + "'";
    return false;
}

}  // namespace

bool ParseScenario(std::string_view text, Scenario& out, std::string& error)
{
    Scenario scenario;
    scenario.device = out.device;
    ChannelText channels[devicelink::kChannelCount];
    std::string section;
    int channel = -1;
    std::istringstream lines{std::string(text)};
    std::string raw;
    int lineNo = 0;
    const auto fail = [&](const std::string& message) {
        error = "line " + std::to_string(lineNo) + ": " + message;
        return false;
    };
    while (std::getline(lines, raw)) {
        ++lineNo;
        const std::string_view line = Trim(raw);
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (line.front() == '[') {
            if (line.back() != ']')
                return fail("unclosed section header");
            const std::vector<std::string> words = SplitWords(line.substr(1, line.size() - 2));
            section = words.empty() ? std::string() : words[0];
            channel = -1;
            if (section == "channel") {
                uint64_t c = 0;
                if (words.size() != 2 || !ParseUnsigned(words[1], c) || c >= devicelink::kChannelCount)
                    return fail("a channel section is [channel 0] .. [channel 3]");
                channel = int(c);
                channels[channel].present = true;
            } else if (section != "device" && section != "events" && section != "faults") {
                return fail("unknown section [" + section + "]");
            }
            continue;
        }
        if (section == "events") {
            const std::vector<std::string> words = SplitWords(line);
            double at = 0.0;
            if (words.size() < 3 || words[0] != "at" || !platform::ParseDouble(words[1], at) || at < 0.0)
                return fail("an event is 'at <seconds> <command>'");
            const size_t start = line.find(words[1]) + words[1].size();
            const std::string command(Trim(line.substr(start)));
            std::string message;
            if (!CheckEventCommand(command, message))
                return fail(message);
            scenario.events.push_back({at, command});
            continue;
        }
        if (section == "faults") {
            Fault fault;
            std::string message;
            if (!ParseFault(line, fault, message))
                return fail(message);
            scenario.faults.push_back(fault);
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            return fail("expected key = value");
        const std::string key(Trim(line.substr(0, eq)));
        const std::string value(Trim(line.substr(eq + 1)));
        std::string message;
        if (section == "device") {
            if (!DeviceKey(key, value, scenario.device, message))
                return fail(message);
        } else if (channel >= 0 && (key == "sensor" || key == "signal")) {
            (key == "sensor" ? channels[channel].sensor : channels[channel].signal) = value;
        } else {
            return fail("key '" + key + "' outside its section");
        }
    }
    for (int c = 0; c < devicelink::kChannelCount; ++c) {
        if (!channels[c].present || channels[c].sensor.empty())
            continue;
        SensorSpec spec;
        std::string message;
        if (!ParseSensorSpec(channels[c].sensor + " " + channels[c].signal, spec, message)) {
            error = "channel " + std::to_string(c) + ": " + message;
            return false;
        }
        scenario.channels[c] = std::move(spec);
    }
    out = std::move(scenario);
    return true;
}

bool LoadScenario(const std::string& path, Scenario& out, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (!ParseScenario(text.str(), out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

}  // namespace devsim
