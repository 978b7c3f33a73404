#pragma once

#include <array>
#include <functional>
#include <map>
#include <vector>

#include <QString>

#include "logger/analysis/core/GraphSetupModel.h"
#include "logger/analysis/CSkinnedDlg.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QWidget;

namespace uikit {
class CButtonST;
}

// The graph set-up of the analysis screen on four pages: the series the current graph shows and
// the one its set analyses (Y axis), the X axis and its range (X axis), how many graphs are
// stacked (graphs) and the set's name and legend options (set). A thin view of GraphSetupModel:
// the record is written only when OK is accepted.
namespace analysis {

class CAnalyzeDlg;

class CAnalyzeSetup1Dlg : public CSkinnedDlg {
    Q_OBJECT

public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 214;

    enum Control : int {
        kYPage = 1127,
        kXPage = 1128,
        kGraphsPage = 1129,
        kSetPage = 1137,
        kYChannel = 1064,
        kYOutput = 1076,
        kYMode = 1072,
        kYMinimum = 1061,
        kYMaximum = 1062,
        kList = 1130,
        kAdd = 1131,
        kRemove = 1132,
        kXSource = 1069,
        kXChannel = 1065,
        kXOutput = 1077,
        kXMode = 1075,
        kXMinimum = 1066,
        kXMaximum = 1067,
        kXLabel = 1118,
        kScaleA = 1119,
        kOffsetB = 1120,
        kOneGraph = 1133,
        kNumber = 1033,
        kSetName = 1027,
        kEquation = 1138,
        kR2 = 1139,
        kExtra = 1140,
    };

    // On the screen's current data set, graph and set.
    CAnalyzeSetup1Dlg(CAnalyzeDlg& screen, project::DataSetRecord& record);

    GraphSetupModel& Model() { return model_; }
    // After OK: the set analyses other data now.
    bool SelectionChanged() const { return selectionChanged_; }

    QWidget* Control(int id) const;
    QComboBox& Combo(int id) const;
    QLineEdit& Edit(int id) const;
    QListWidget& List() const { return *list_; }
    uikit::CButtonST& Button(int id) const;
    void ShowPage(int page);

protected:
    bool TakeChoices() override;
    void PaintContent(QPainter& painter) override;

private:
    struct PageLabel {
        int page;
        QString text;
        QRect box;
    };

    void CreatePageButtons();
    void CreateYPage();
    void CreateXPage();
    void CreateGraphsPage();
    void CreateSetPage();
    void Place(int page, int id, QWidget* widget, const QRect& box);
    // A combo whose choice goes to the model, after which everything is shown again.
    QComboBox* AddCombo(int page, int id, const QRect& box, std::function<void(int)> chosen);
    void AddRangeRows(int page, int modeId, int minimumId, int maximumId, std::function<void(RangeMode)> choose);
    void AddPageLabel(int page, int textId, int left, int top, int right, int bottom);
    // Everything the model decides, into the widgets; the edits only where the model's values
    // changed, so that typed text stays while nothing replaces it.
    void Show();
    void ShowCombo(int id, const ComboContent& content);
    void ShowRanges();
    SetupEdits TakeEdits() const;

    CAnalyzeDlg& screen_;
    GraphSetupModel model_;
    bool selectionChanged_ = false;
    std::map<int, QWidget*> controls_;
    std::map<int, int> pageOf_;
    std::vector<PageLabel> pageLabels_;
    std::array<uikit::CButtonST*, GraphSetupModel::kPageCount> pageButtons_{};
    std::array<uikit::CButtonST*, project::kGraphCount> countButtons_{};
    QListWidget* list_ = nullptr;
    AxisRange shownY_{0.0f, -1.0f, -1.0f};
    AxisRange shownX_{0.0f, -1.0f, -1.0f};
    QPixmap pagePictures_[GraphSetupModel::kPageCount];
};

}  // namespace analysis
