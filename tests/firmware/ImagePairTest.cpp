#include "firmware/FirmwareImagePair.h"

#include "FlowTestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace firmware;

TEST(FirmwareImagePair, OnlyTheFileNamesEndingPairsTheImages)
{
    struct Case {
        const char* path;
        const char* a;  // null: no pair
        const char* b;
    };
    const Case cases[] = {
        {"/d/Corvik_Firmware_AppA.bin", "/d/Corvik_Firmware_AppA.bin", "/d/Corvik_Firmware_AppB.bin"},
        {"/d/Corvik_Firmware_AppB.bin", "/d/Corvik_Firmware_AppA.bin", "/d/Corvik_Firmware_AppB.bin"},
        {"/old_A.bin/new_B.bin", "/old_A.bin/new_A.bin", "/old_A.bin/new_B.bin"},  // the folder stays
        {"xA.bin", "xA.bin", "xB.bin"},
        {"A.bin", nullptr, nullptr},  // nothing before the ending
        {"/d/A.bin.old", nullptr, nullptr},
        {"/d/image.bin", nullptr, nullptr},
        {"", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const auto pair = PairImagePaths(c.path);
        ASSERT_EQ(pair.has_value(), c.a != nullptr);
        if (pair) {
            EXPECT_EQ(pair->a, c.a);
            EXPECT_EQ(pair->b, c.b);
        }
    }
}

TEST(FirmwareImagePair, ChecksMarkersAndVersionsOfBothImages)
{
    using fwtest::MakeImage;
    struct Case {
        const char* what;
        std::vector<uint8_t> a, b;
        uint32_t minimum;
        bool good;
    };
    const Case cases[] = {
        {"both good", MakeImage(5000, 0, 20240101), MakeImage(5000, 1, 20240202), 20240101, true},
        {"A below the minimum", MakeImage(5000, 0, 20231231), MakeImage(5000, 1, 20240202), 20240101, false},
        {"only B at the minimum", MakeImage(5000, 0, 1), MakeImage(5000, 1, 20240101), 20240101, false},
        {"B's marker in A", MakeImage(5000, 1, 20240101), MakeImage(5000, 1, 20240101), 0, false},
        {"no marker in B", MakeImage(5000, 0, 20240101), MakeImage(5000, 1, 0, -1), 0, false},
        // The version would lie past the end of the file: what follows is not the image's.
        {"marker near the end", MakeImage(5000, 0, 0, 4994), MakeImage(5000, 1, 20240101), 0, false},
        {"empty A", {}, MakeImage(5000, 1, 20240101), 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fwtest::ImageFolder folder;
        fwtest::WriteFile(folder.PathA(), c.a);
        fwtest::WriteFile(folder.PathB(), c.b);
        const auto pair = CheckFirmwareImages(folder.PathB().toStdString(), c.minimum);
        ASSERT_EQ(pair.has_value(), c.good);
        if (pair) {
            EXPECT_EQ(pair->a, c.a);
            EXPECT_EQ(pair->b, c.b);
            EXPECT_EQ(pair->versionB, 20240202u);
        }
    }
    fwtest::ImageFolder folder;
    QFile::remove(folder.PathB());
    EXPECT_FALSE(CheckFirmwareImages(folder.PathA().toStdString(), 0));
}

TEST(FirmwareImagePair, AnImageAboveSixteenMebibytesIsRefusedUnread)
{
    fwtest::ImageFolder folder;
    const std::string big = folder.PathA().toStdString();
    for (const size_t size : {kMaxImageBytes, kMaxImageBytes + 1}) {
        const int fd = ::open(big.c_str(), O_WRONLY | O_TRUNC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t(size)), 0);  // sparse: no disk is spent
        ::close(fd);
        std::vector<uint8_t> bytes;
        const ImageRead r = ReadImageFile(big, bytes);
        EXPECT_EQ(r, size > kMaxImageBytes ? ImageRead::TooLarge : ImageRead::Ok);
        EXPECT_EQ(bytes.size(), size > kMaxImageBytes ? 0 : size);
    }
    std::vector<uint8_t> bytes;
    EXPECT_EQ(ReadImageFile(big + ".missing", bytes), ImageRead::CannotOpen);
}
