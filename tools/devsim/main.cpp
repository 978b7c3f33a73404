// corvik-devsim: a simulated Corvik logger with virtual sensors, serving the frame protocol on
// 127.0.0.1 so that the suite can run and be tested without the hardware.

#include "tools/devsim/KitSensors.h"
#include "tools/devsim/Scenario.h"
#include "tools/devsim/SensorModels.h"
#include "tools/devsim/SimDevice.h"
#include "tools/devsim/SimServer.h"
#include "tools/devsim/TextWords.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

devsim::SimServer* g_server = nullptr;

void OnSignal(int)
{
    if (g_server)
        g_server->Quit();
}

void PrintHelp()
{
    std::printf(
        "Usage: corvik-devsim [options]\n"
        "A simulated Corvik logger: a TCP device server on 127.0.0.1 speaking the logger's frame\n"
        "protocol, with virtual sensors on its four channels (0-3). It serves one host at a time.\n"
        "\n"
        "Options:\n"
        "  --port N                 port to listen on (default 4000; 0 picks a free one)\n"
        "  --scenario FILE          sensors, signals, events and faults (see below)\n"
        "  --fast                   timed measurements with a count run as fast as possible\n"
        "  --delivery SHAPE         data replies: block (0x1000000C), sets (0x12220002),\n"
        "                           bulk (0x10000010) or channel (0x12220001); default block\n"
        "  --firmware-version N     firmware date number reported (default 20130913)\n"
        "  --firmware-out FILE      write an accepted firmware image to FILE\n"
        "  -v                       log connections, commands, writes and faults to stderr\n"
        "  --help                   this text\n"
        "\n"
        "On start it prints \"corvik-devsim listening on 127.0.0.1:PORT\" on stdout.\n"
        "\n"
        "Commands on standard input, one a line:\n%s"
        "\n"
        "Sensor models:\n",
        devsim::SimServer::ControlHelp());
    for (const devsim::SensorModel& m : devsim::SensorModels())
        std::printf("  %-12s %s\n  %-12s default signal: %s\n", m.name, m.description, "", m.defaultSignal);
    std::printf("\nKit sensors, by model code:\n");
    for (const devsim::KitModel& m : devsim::KitModels())
        std::printf("  %-16s %s\n", m.code, m.description);
    std::printf(
        "  Options of every model: address=N, regs=RR:HEX[,RR:HEX...], memory=HEX (128-byte\n"
        "  memory chip at 0x57, registers 128..255); behind the adapter also code=, name=,\n"
        "  info=, id=.\n"
        "\n"
        "Signals: constant value=V | ramp start=V slope=S | sine offset=V amplitude=A period=P |\n"
        "  damped offset=V amplitude=A period=P decay=D | noise offset=V amplitude=A seed=N |\n"
        "  steps offset=V step=S period=P levels=N | pulses period=P width=W high=H offset=L |\n"
        "  nmea lat=DEG lon=DEG speed=M/S   (times in seconds)\n"
        "\n"
        "Scenario file (INI-like):\n"
        "  [device]       firmware-version = N, bank = 0|1, sequence = N,\n"
        "                 delivery = block|sets|bulk|channel, read-reply = narrow|wide\n"
        "  [channel 0]    sensor = temperature     signal = sine offset=21 amplitude=0.5 period=60\n"
        "  [events]       at 5 pull 1     at 8 plug 1 photogate     at 10 hello     at 12 stop\n"
        "  [faults]       0x10000011 drop times 2     0x10000027 delay 3500     0x1000000C coalesce always\n");
}

bool NextValue(int argc, char** argv, int& i, std::string& out)
{
    if (i + 1 >= argc) {
        std::fprintf(stderr, "corvik-devsim: %s needs a value\n", argv[i]);
        return false;
    }
    out = argv[++i];
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    devsim::Scenario scenario;
    devsim::ServerOptions serverOptions;
    std::string scenarioPath, value;
    bool haveDelivery = false, haveVersion = false, fast = false;
    devsim::Delivery delivery = devsim::Delivery::Block;
    int32_t version = 0;
    std::string firmwareOut;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        uint64_t n = 0;
        if (arg == "--help" || arg == "-h") {
            PrintHelp();
            return 0;
        } else if (arg == "-v" || arg == "--verbose") {
            serverOptions.verbose = true;
        } else if (arg == "--fast") {
            fast = true;
        } else if (arg == "--port") {
            if (!NextValue(argc, argv, i, value) || !devsim::ParseUnsigned(value, n) || n > 65535) {
                std::fprintf(stderr, "corvik-devsim: --port needs a port number\n");
                return 2;
            }
            serverOptions.port = uint16_t(n);
        } else if (arg == "--scenario") {
            if (!NextValue(argc, argv, i, scenarioPath))
                return 2;
        } else if (arg == "--delivery") {
            if (!NextValue(argc, argv, i, value) || !devsim::ParseDelivery(value, delivery)) {
                std::fprintf(stderr, "corvik-devsim: --delivery is block, sets, bulk or channel\n");
                return 2;
            }
            haveDelivery = true;
        } else if (arg == "--firmware-version") {
            if (!NextValue(argc, argv, i, value) || !devsim::ParseUnsigned(value, n) || n > 0x7FFFFFFF) {
                std::fprintf(stderr, "corvik-devsim: --firmware-version needs a number such as 20130913\n");
                return 2;
            }
            version = int32_t(n);
            haveVersion = true;
        } else if (arg == "--firmware-out") {
            if (!NextValue(argc, argv, i, firmwareOut))
                return 2;
        } else {
            std::fprintf(stderr, "corvik-devsim: unknown option %s (try --help)\n", arg.c_str());
            return 2;
        }
    }

    std::string error;
    if (!scenarioPath.empty() && !devsim::LoadScenario(scenarioPath, scenario, error)) {
        std::fprintf(stderr, "corvik-devsim: %s\n", error.c_str());
        return 1;
    }
    // The command line overrides the scenario.
    if (haveDelivery)
        scenario.device.delivery = delivery;
    if (haveVersion)
        scenario.device.firmwareVersion = version;
    scenario.device.fast = fast;
    scenario.device.firmwareOut = firmwareOut;

    devsim::SimDevice device(scenario.device);
    const auto log = [](const std::string& line) { std::cerr << "corvik-devsim: " << line << std::endl; };
    if (serverOptions.verbose)
        device.SetLogger(log);
    for (int c = 0; c < devicelink::kChannelCount; ++c)
        if (scenario.channels[c] && !device.Plug(c, *scenario.channels[c], error)) {
            std::fprintf(stderr, "corvik-devsim: channel %d: %s\n", c, error.c_str());
            return 1;
        }

    devsim::SimServer server(device, serverOptions);
    server.SetLogger(log);
    for (const devsim::Fault& f : scenario.faults)
        server.AddFault(f);
    server.Schedule(scenario.events);
    if (!server.Listen(error)) {
        std::fprintf(stderr, "corvik-devsim: %s\n", error.c_str());
        return 1;
    }
    std::printf("corvik-devsim listening on 127.0.0.1:%u\n", unsigned(server.Port()));
    std::fflush(stdout);

    g_server = &server;
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);
    server.WatchInput(STDIN_FILENO);
    server.Run();
    g_server = nullptr;
    return 0;
}
