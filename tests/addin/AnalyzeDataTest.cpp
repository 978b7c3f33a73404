// PVAnalyzeData through the stand-in host and the real library: the fit, its cells, its lines
// in the caller's code-page buffer, and every way a request can be unsound.
#include "AddInHostFixture.h"

#include "tools/xlhost/Script.h"

#include <cstring>

namespace {

using namespace addintest;

using xlhost::FromCodePage;

class AnalyzeData : public AddInHostTest {
protected:
    void SetUp() override
    {
        AddInHostTest::SetUp();
        for (int i = 0; i < 10; ++i) {
            x_.push_back(0.5 * i);
            y_.push_back(2.0 * x_.back() + 1.0);
        }
    }
    int Analyze(int first, int last, int n, int kind, int column, char* out)
    {
        return host_->AddIn()->AnalyzeData(first, last, n, kind, column, x_.data(), y_.data(), out).value_or(-999);
    }
    std::vector<double> x_, y_;
};

TEST_F(AnalyzeData, LinearFitGivesSlopeAndInterceptInCellsAndText)
{
    std::vector<char> out(4096, 'x');
    ASSERT_EQ(Analyze(0, 9, 10, 2, 4, out.data()), 1);
    // The fitted values of first..last from row 3 on.
    for (int i = 0; i <= 9; ++i) {
        ASSERT_TRUE(Number(3 + i, 4)) << i;
        EXPECT_NEAR(*Number(3 + i, 4), y_[size_t(i)], 1e-4);
    }
    EXPECT_FALSE(host_->Cells().Get(13, 4));
    const std::string text = FromCodePage(out.data());
    EXPECT_NE(text.find("Linear fit"), std::string::npos) << text;
    EXPECT_NE(text.find("Slope A : 2.000000\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Intercept B : 1.000000\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Step h : 0.5\n"), std::string::npos) << text;
    EXPECT_NE(text.find("End : 4.0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("r² (p) : 1.000000\n"), std::string::npos) << text;
}

TEST_F(AnalyzeData, CopyStaysInsideTwoBytesACharacterAndEndsInATerminator)
{
    std::vector<char> probe(4096, 0);
    ASSERT_EQ(Analyze(0, 9, 10, 1, 4, probe.data()), 1);
    const size_t bytes = std::strlen(probe.data());
    // The buffer the contract asks for: two bytes a character of the text. The text is ASCII
    // and Greek here, so its characters are fewer than its bytes, and fewer than half the
    // buffer; everything past the text is zero and nothing past the buffer is touched.
    std::u16string utf16;
    const std::string utf8 = FromCodePage(probe.data());
    const size_t characters = platform::Utf8ToUtf16(utf8).size();
    std::vector<char> out(2 * characters + 16, '#');
    ASSERT_EQ(Analyze(0, 9, 10, 1, 4, out.data()), 1);
    EXPECT_EQ(std::strlen(out.data()), bytes);
    for (size_t i = bytes; i < 2 * characters; ++i)
        ASSERT_EQ(out[i], 0) << i;
    for (size_t i = 2 * characters; i < out.size(); ++i)
        ASSERT_EQ(out[i], '#') << i;
}

TEST_F(AnalyzeData, UnsoundRequestsWriteNothing)
{
    struct Case {
        int first, last, n, kind;
    };
    const Case cases[] = {
        {0, 0, 1, 2},    // one point: no step to take
        {5, 3, 10, 2},   // a reversed range
        {0, 10, 10, 2},  // past the last point
        {-1, 5, 10, 2},  // before the first
        {0, 9, 10, 11},  // a kind without a routine
        {0, 9, 10, 99},
        {0, 1, 10, 2},   // too few points for the fit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << ".." << c.last << " of " << c.n << " kind " << c.kind);
        std::vector<char> out(256, '#');
        EXPECT_EQ(Analyze(c.first, c.last, c.n, c.kind, 4, out.data()), 0);
        EXPECT_EQ(out[0], '#');
        EXPECT_EQ(host_->Cells().Count(), 0u);
    }
}

}  // namespace
