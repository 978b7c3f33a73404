#include "tests/lesson/ShownText.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainterPath>
#include <QWidget>

namespace lesson {

namespace {

// A paint engine that keeps the texts and draws nothing.
class TextEngine : public QPaintEngine {
public:
    TextEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath&) override {}
    void drawTextItem(const QPointF&, const QTextItem& item) override
    {
        if (!item.text().isEmpty())
            texts.push_back(item.text());
    }
    Type type() const override { return QPaintEngine::User; }

    QStringList texts;
};

class TextDevice : public QPaintDevice {
public:
    explicit TextDevice(QSize size) : size_(size) {}
    QPaintEngine* paintEngine() const override { return &engine_; }
    QStringList Texts() const { return engine_.texts; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: return size_.width();
        case PdmHeight: return size_.height();
        case PdmWidthMM: return size_.width() * 254 / 960;
        case PdmHeightMM: return size_.height() * 254 / 960;
        case PdmNumColors: return 0x7FFFFFFF;
        case PdmDepth: return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 96;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QSize size_;
    mutable TextEngine engine_;
};

}  // namespace

QStringList ShownTexts(QWidget* widget)
{
    if (!widget || !widget->isVisible())
        return {};
    TextDevice device(widget->size());
    widget->render(&device);
    return device.Texts();
}

QString ShownText(QWidget* widget)
{
    return ShownTexts(widget).join(QLatin1Char('\n'));
}

}  // namespace lesson
