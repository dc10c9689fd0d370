// The platform layer on its own: dispatch through message maps, exceptions
// stopped where messages are dispatched, data exchange, the template records
// and dialog units, icons from their files, and the bar chart as a PNG.
#include "TestUtil.h"
#include "framework/Chart.h"
#include "framework/DialogData.h"
#include "framework/testing/Driver.h"
#include "framework/Icon.h"
#include "framework/testing/Inspection.h"
#include "res/Resource.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QWidget>

#include <map>
#include <new>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A dialog on the version box's template whose OK button throws what it is told to.
class ThrowingDlg : public CDialogEx {
public:
    enum class Throw { Nothing, BadAlloc, BadArrayLength, LengthError, Runtime, Integer };
    ThrowingDlg() : CDialogEx(res::IDD_VERSION) {}
    const afx::MessageMap* GetMessageMap() const override {
        static constexpr afx::MessageMapEntry entries[] = {
            afx::OnBnClicked<&ThrowingDlg::OnOkClicked>(IDOK),
        };
        static const afx::MessageMap map{CDialogEx::GetMessageMap(), entries};
        return &map;
    }
    Throw next = Throw::Nothing;
    int handled = 0;

private:
    void OnOkClicked() {
        ++handled;
        volatile long long negative = -1;
        switch (next) {
        case Throw::Nothing: return;
        case Throw::BadAlloc: throw std::bad_alloc();
        case Throw::BadArrayLength: {
            int* p = new int[static_cast<std::size_t>(negative)];
            delete[] p;
            return;
        }
        case Throw::LengthError: {
            std::vector<int> v;
            v.reserve(static_cast<std::size_t>(negative));
            return;
        }
        case Throw::Runtime: throw std::runtime_error("disk on fire");
        case Throw::Integer: throw 42;
        }
    }
};

TEST(DispatchTest, AnExceptionLeavingAHandlerIsReportedAndTheWindowGoesOn) {
    struct Case {
        ThrowingDlg::Throw what;
        const char* detail;  // on standard error: the exception, for a developer
        const char* reason;  // in the box: what happened, in words
    };
    const Case cases[] = {
        {ThrowingDlg::Throw::BadAlloc, "std::bad_alloc", "メモリが不足しています。"},
        {ThrowingDlg::Throw::BadArrayLength, "std::bad_array_new_length", "メモリが不足しています。"},
        {ThrowingDlg::Throw::LengthError, "std::length_error", "処理中にエラーが発生しました。"},
        {ThrowingDlg::Throw::Runtime, "disk on fire", "処理中にエラーが発生しました。"},
        {ThrowingDlg::Throw::Integer, "unknown type", "処理中に不明なエラーが発生しました。"},
    };
    ThrowingDlg dlg;
    afx::DialogDriver drv(dlg);
    for (const Case& c : cases) {
        dlg.next = c.what;
        testing::internal::CaptureStderr();
        ASSERT_TRUE(drv.Click(IDOK));
        const std::string detail = testing::internal::GetCapturedStderr();
        const auto boxes = drv.Boxes().Take();
        ASSERT_EQ(boxes.size(), 1u) << c.detail;
        EXPECT_EQ(boxes[0].type, MB_ICONHAND);
        const std::string text = Utf8(boxes[0].text);
        EXPECT_NE(text.find("コントロール 1 の処理を中止しました。"), std::string::npos) << text;
        EXPECT_NE(text.find(c.reason), std::string::npos) << text;
        // No C++ names for the user: they go to standard error.
        EXPECT_EQ(text.find("std::"), std::string::npos) << text;
        EXPECT_NE(detail.find(c.detail), std::string::npos) << detail;
        EXPECT_NE(detail.find("control 1:"), std::string::npos) << detail;
        EXPECT_FALSE(dlg.HasEnded());
    }
    // The window still takes input: the next click is handled.
    dlg.next = ThrowingDlg::Throw::Nothing;
    const int before = dlg.handled;
    ASSERT_TRUE(drv.Click(IDOK));
    EXPECT_EQ(dlg.handled, before + 1);
    EXPECT_TRUE(drv.Boxes().Take().empty());
}

TEST(DispatchTest, DataExchangeAttachesMembersOnceAndWindowsDetachOnDestroy) {
    class BoundDlg : public CDialogEx {
    public:
        BoundDlg() : CDialogEx(res::IDD_VELQUOR_DIALOG) {}
        void DoDataExchange(CDataExchange* dx) override {
            ++exchanges;
            DDX_Control(dx, 1033, count);
        }
        CEdit count;
        int exchanges = 0;
    };
    BoundDlg dlg;
    EXPECT_EQ(dlg.count.Widget(), nullptr);
    {
        afx::DialogDriver drv(dlg);
        ASSERT_NE(dlg.count.Widget(), nullptr);
        dlg.count.SetWindowTextW(L"77");
        EXPECT_EQ(drv.Text(1033), CString(L"77"));
        QWidget* first = dlg.count.Widget();
        dlg.UpdateData(TRUE);
        EXPECT_EQ(dlg.count.Widget(), first);
        EXPECT_EQ(dlg.exchanges, 2);
        // Text the program sets raises no change notification, so no check runs.
        EXPECT_TRUE(drv.Boxes().Shown().empty());
    }
    EXPECT_EQ(dlg.count.Widget(), nullptr);
    CString text(L"stale");
    dlg.count.GetWindowTextW(text);
    EXPECT_TRUE(text.IsEmpty());
}

TEST(DispatchTest, APostedMessageArrivesAfterTheWaitingEventsAndNotAfterItsWindow) {
    ThrowingDlg dlg;
    EXPECT_FALSE(dlg.PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED))) << "no window yet";
    {
        afx::DialogDriver drv(dlg);
        ASSERT_TRUE(dlg.PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)));
        EXPECT_EQ(dlg.handled, 0) << "not delivered while the poster still runs";
        QApplication::processEvents();
        EXPECT_EQ(dlg.handled, 1);
        QApplication::processEvents();
        EXPECT_EQ(dlg.handled, 1) << "delivered once";
        // A handler's exception is stopped where a posted message is dispatched too.
        dlg.next = ThrowingDlg::Throw::Runtime;
        testing::internal::CaptureStderr();
        dlg.PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
        QApplication::processEvents();
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(drv.Boxes().Take().size(), 1u);
        dlg.next = ThrowingDlg::Throw::Nothing;
        dlg.PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
    }
    // Its window went before the message was delivered: it is dropped.
    QApplication::processEvents();
    EXPECT_EQ(dlg.handled, 2);
}

TEST(DispatchTest, AMissingTemplateGivesMinusOneWithoutAMessage) {
    afx::MessageBoxRecorder boxes;
    CDialog missing(9999);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST(DialogDataTest, TheMainWindowsLinksAreFrameworkRecordsWithoutAnAddress) {
    // The main window's three links: framework records with no address of their own.
    const auto links = afx::ParseDialogInit(afx::FindDialogInit(res::IDD_VELQUOR_DIALOG));
    ASSERT_TRUE(links);
    ASSERT_EQ(links->size(), 3u);
    for (const auto& r : *links) {
        EXPECT_EQ(r.message, afx::kInitFrameworkControl);
        EXPECT_TRUE(afx::ParseLinkSettings(r.data).url.empty());
    }
    const auto link = afx::ParseLinkSettings(
        "<MFCLink_Url>https://example.org/</MFCLink_Url><MFCLink_UrlPrefix>x</MFCLink_UrlPrefix>"
        "<MFCLink_FullTextTooltip>TRUE</MFCLink_FullTextTooltip>");
    EXPECT_EQ(link.url, "https://example.org/");
    EXPECT_EQ(link.urlPrefix, "x");
    EXPECT_TRUE(link.fullTextTooltip);
}

TEST(DialogUnitsTest, ControlsSitWhereTheTemplatePutsThemAndStay) {
    CDialog main(res::IDD_VELQUOR_DIALOG);
    afx::DialogDriver drv(main);
    // Dialog units scale with the font: one horizontal unit is a quarter of
    // the average Latin letter, one vertical unit an eighth of the font height.
    using afx::testing::Geometry;
    const afx::testing::PixelRect client = afx::testing::ClientSize(main);
    const afx::testing::PixelRect quit = Geometry(main, 1);
    ASSERT_GT(client.width, 0);
    EXPECT_NEAR(static_cast<double>(quit.x) / client.width, 629.0 / 686, 0.01);
    EXPECT_NEAR(static_cast<double>(quit.y) / client.height, 353.0 / 374, 0.01);
    // Field 1009 stands two units lower than its button.
    EXPECT_GT(Geometry(main, 1009).y, Geometry(main, 1008).y);
    EXPECT_EQ(Geometry(main, 1005).y, Geometry(main, 1004).y);
    for (int id = 1000; id <= 1056; ++id) {
        if (!drv.Exists(id)) continue;
        const afx::testing::PixelRect r = Geometry(main, id);
        EXPECT_LE(r.x + r.width, client.width) << id;
        EXPECT_LE(r.y + r.height, client.height) << id;
    }
    const std::string family = afx::testing::FontFamily(main);
    EXPECT_NE(family.find("Gothic"), std::string::npos) << family;

    // No sizing border: a resize from outside moves nothing.
    QWidget* window = main.Widget();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    window->resize(client.width + 200, client.height + 150);
    QApplication::processEvents();
    EXPECT_EQ(afx::testing::ClientSize(main).width, client.width);
    EXPECT_EQ(afx::testing::ClientSize(main).height, client.height);
    EXPECT_EQ(Geometry(main, 1).y, quit.y);
}

TEST(IconTest, TheApplicationIconHasItsTrueColourImagesWithTransparency) {
    HICON icon = AfxLoadIcon(res::IDR_MAINFRAME);
    ASSERT_NE(icon, nullptr);
    const QList<QSize> sizes = icon->icon.availableSizes();
    for (int size : {16, 24, 32, 48, 256}) EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    const QImage image = icon->Pixmap(32).toImage();
    ASSERT_EQ(image.width(), 32);
    int transparent = 0, opaque = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) (image.pixelColor(x, y).alpha() == 0 ? transparent : opaque) += 1;
    }
    EXPECT_GT(transparent, 32);
    EXPECT_GT(opaque, 256);
    // The file stores rows bottom-up. The picture's bars stand on its bottom
    // edge, so its lowest rows are far more opaque than its top rows.
    auto opaqueIn = [&](int y) {
        int n = 0;
        for (int x = 0; x < 32; ++x) n += image.pixelColor(x, y).alpha() > 0;
        return n;
    };
    EXPECT_GT(opaqueIn(29), opaqueIn(1) + 8);
    EXPECT_EQ(AfxLoadIcon(9999), nullptr);
}

// The bar chart is drawn in memory as a PNG file's bytes.
QImage Decode(const std::optional<std::string>& png) {
    EXPECT_TRUE(png);
    if (!png) return {};
    EXPECT_EQ(png->compare(0, 8, "\x89PNG\r\n\x1a\n"), 0);
    return QImage::fromData(reinterpret_cast<const uchar*>(png->data()), static_cast<int>(png->size()), "PNG");
}

afx::BarChart TwoBars(double first, double second) {
    afx::BarChart chart;
    chart.title = L"title";
    chart.axisLabel = L"ms";
    chart.emptyNote = L"nothing was measured";
    chart.bars = {{L"1000 a", first, first / 2, first * 2}, {L"1002 b", second, second / 2, second * 2}};
    return chart;
}

TEST(ChartTest, AChartIsAPngImageWithARowPerBarItsNoteWhenNothingWasMeasuredAndItsLine) {
    afx::BarChart chart = TwoBars(0.5, 3);
    const QImage two = Decode(afx::RenderBarChartPng(chart));
    ASSERT_FALSE(two.isNull());
    chart.bars.push_back({L"1004 c", 1, 1, 1});
    const QImage three = Decode(afx::RenderBarChartPng(chart));
    EXPECT_EQ(three.width(), two.width());
    EXPECT_GT(three.height(), two.height());
    chart.bars.pop_back();
    chart.line = 1.0;
    const QImage lined = Decode(afx::RenderBarChartPng(chart));
    int red = 0;  // the line's colour; nothing else is drawn in it without marks
    for (int y = 0; y < lined.height(); ++y) {
        for (int x = 0; x < lined.width(); ++x) red += lined.pixelColor(x, y) == QColor(200, 30, 30);
    }
    EXPECT_GT(red, 2 * 40) << "a line down both rows";

    afx::BarChart empty = TwoBars(0, 0);
    const QImage withNote = Decode(afx::RenderBarChartPng(empty));
    empty.emptyNote.clear();
    EXPECT_NE(withNote, Decode(afx::RenderBarChartPng(empty))) << "the note is drawn";
    empty.bars.clear();
    EXPECT_FALSE(Decode(afx::RenderBarChartPng(empty)).isNull());
}

}  // namespace
