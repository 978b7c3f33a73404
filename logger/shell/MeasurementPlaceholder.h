#pragma once

#include "uikit/common/CVRDCommonBase.h"
#include "uikit/common/ExperimentSource.h"
#include "uikit/window/CVRDWindowBase.h"

#include <QPixmap>
#include <QWidget>

#include <memory>

namespace logger {
class ProjectFile;
}

// What stands in screen slot 3 until the measurement screen joins the program: a frameless child
// page that keeps the recording (the experiment block, the samples and the working project over
// them, in the working copy's folder), so that the project manager and the analysis screen work
// on it, and offers StopMeasure to the root window. It records nothing.
namespace shell {

class MeasurementPlaceholder : public QWidget,
                               public uikit::ExperimentSource,
                               public uikit::CVRDCommonBase,
                               public uikit::CVRDWindowBase {
    Q_OBJECT

public:
    explicit MeasurementPlaceholder(QWidget* rootWindow);
    ~MeasurementPlaceholder() override;

    // Nothing runs here to stop.
    void StopMeasure() {}

    logger::ExperimentBlock* ExperimentData() override { return block_.get(); }
    logger::SampleArrays* SampleData() override { return samples_.get(); }
    logger::ProjectFile* WorkingProject() override { return project_.get(); }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<logger::ExperimentBlock> block_;
    std::unique_ptr<logger::SampleArrays> samples_;
    std::unique_ptr<logger::ProjectFile> project_;
    QPixmap head_;
    QPixmap band_;
    QPixmap corner_;
};

}  // namespace shell
