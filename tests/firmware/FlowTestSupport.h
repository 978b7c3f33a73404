#pragma once

#include "firmware/UpgradeFlow.h"

#include "tests/support/DevsimFixture.h"

#include "tests/support/WidgetApp.h"

#include "devicelink/link/DeviceApi.h"
#include "devicelink/protocol/FirmwareImage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fwtest {

inline void EnsureApp()
{
    EnsureWidgetApp();
}

// Runs the event loop until pred holds or ms pass.
inline bool WaitUntil(const std::function<bool()>& pred, int ms = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!pred()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

inline QString SourceFile(const char* relative)
{
    return QString::fromLocal8Bit(std::getenv("CORVIK_SOURCE_DIR")) + u'/' + QString::fromLatin1(relative);
}

// An image of `size` bytes with the bank's marker and version at `at` (no marker when at < 0).
inline std::vector<uint8_t> MakeImage(size_t size, int bank, uint32_t version, long at = 64, uint8_t seed = 1)
{
    std::vector<uint8_t> image(size);
    for (size_t i = 0; i < size; ++i)
        image[i] = uint8_t((i * 37 + seed) | 1);  // odd bytes: no marker by chance, never all 0xFF
    if (at >= 0) {
        const uint8_t* marker = bank == devicelink::kFirmwareBankA ? devicelink::kBankMarkerA : devicelink::kBankMarkerB;
        for (size_t k = 0; k < 8 && size_t(at) + k < size; ++k)
            image[size_t(at) + k] = k < 4 ? marker[k] : uint8_t(version >> (8 * (k - 4)));
    }
    return image;
}

inline void WriteFile(const QString& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(QFile::encodeName(path).toStdString(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<uint8_t> ReadFile(const QString& path)
{
    std::ifstream in(QFile::encodeName(path).toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A pair of images in a folder of its own.
struct ImageFolder {
    QTemporaryDir dir;
    std::vector<uint8_t> a, b;

    ImageFolder(size_t size = 5000, uint32_t version = 20240101)
        : a(MakeImage(size, devicelink::kFirmwareBankA, version, 64, 3)),
          b(MakeImage(size, devicelink::kFirmwareBankB, version, 128, 5))
    {
        Write();
    }
    void Write() const
    {
        WriteFile(PathA(), a);
        WriteFile(PathB(), b);
    }
    QString PathA() const { return dir.filePath(QStringLiteral("Corvik_Firmware_AppA.bin")); }
    QString PathB() const { return dir.filePath(QStringLiteral("Corvik_Firmware_AppB.bin")); }
};

// The flow over the real device API, against the simulated logger in this process.
class FlowRig {
public:
    explicit FlowRig(devsim::DeviceOptions options = {}) : sim_(std::move(options))
    {
        EnsureApp();
        std::string error;
        started_ = sim_.Start(error);
        EXPECT_TRUE(started_) << error;
        sim_.PointDriverHere();
    }
    ~FlowRig()
    {
        flow_.reset();
        DevClose();
        sim_.Stop();
    }

    static firmware::UpgradeFlow::Options DefaultOptions()
    {
        firmware::UpgradeFlow::Options o;
        o.stringFile = SourceFile("resources/CorvikUpgradeString.xml");
        return o;
    }

    // Creates the flow and waits for its start-up.
    firmware::UpgradeFlow& Start(firmware::UpgradeFlow::Options options = DefaultOptions())
    {
        flow_ = std::make_unique<firmware::UpgradeFlow>(firmware::FlatUpgradeDevice(), std::move(options));
        flow_->Start();
        EXPECT_TRUE(WaitUntil([&] { return flow_->StartupDone(); }));
        return *flow_;
    }

    // Ticks until the write ends; the status text after each tick.
    std::vector<QString> RunWrite(int limit = 1000)
    {
        std::vector<QString> statuses;
        for (int i = 0; i < limit && flow_->TimerRunning(); ++i) {
            flow_->Tick();
            statuses.push_back(flow_->StatusText());
        }
        return statuses;
    }

    devsim::testing::InProcessDevsim& Sim() { return sim_; }
    firmware::UpgradeFlow& Flow() { return *flow_; }
    uint64_t Sent(uint32_t code) const { return sim_.Device().CommandCount(code); }

private:
    mutable devsim::testing::InProcessDevsim sim_;
    bool started_ = false;
    std::unique_ptr<firmware::UpgradeFlow> flow_;
};

inline devsim::DeviceOptions Logger(int32_t bank = 0, int32_t sequence = 41, int32_t version = 20130913)
{
    devsim::DeviceOptions o;
    o.bank = bank;
    o.sequence = sequence;
    o.firmwareVersion = version;
    return o;
}

}  // namespace fwtest
