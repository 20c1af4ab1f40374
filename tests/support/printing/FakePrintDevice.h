#pragma once
#include "core/TextCodec.h"
#include "printing/PrintDevice.h"

#include <stdexcept>
#include <vector>

// A printer with simple, exact metrics that records what is drawn and fails on request.
// Average character: 2 px per point; a character is that wide per GBK byte, "W" three times
// as wide; text height: 4 px per point.
class TFakePrintDevice final : public TPrintDevice {
public:
    struct TDrawn {
        QString text;
        int x, y, points;
    };
    struct TRect {
        int x1, y1, x2, y2, pen;
    };

    TFakePrintDevice() { m_previous = SetPrintDevice(this); }
    ~TFakePrintDevice() override { SetPrintDevice(m_previous); }

    int dpi = 300;
    int offsetY = 20;
    QPoint page{2800, 2000};
    bool failBegin = false;
    bool failEnd = false;
    int failAfterDraws = -1;  // Failed() reports an error once this many texts are drawn
    int throwAtDraw = -1;     // DrawText raises on this draw (0-based)

    std::vector<TDrawn> drawn;
    mutable qint64 measured = 0;  // characters of every text measured
    std::vector<TRect> rects;
    int begun = 0, ended = 0, aborted = 0;
    std::optional<QSize> paper;
    std::optional<QPageLayout::Orientation> orientation;

    void SetPaperSize(int w, int h) override { paper = QSize(w, h); }
    void SetOrientation(QPageLayout::Orientation o) override { orientation = o; }
    bool BeginJob(QString* error) override
    {
        if (failBegin) {
            *error = QStringLiteral("begin failed");
            return false;
        }
        ++begun;
        return true;
    }
    bool EndJob(QString* error) override
    {
        if (failEnd) {
            *error = QStringLiteral("end failed");
            return false;
        }
        ++ended;
        return true;
    }
    void AbortJob() override { ++aborted; }
    bool Failed(QString* error) const override
    {
        if (failAfterDraws >= 0 && static_cast<int>(drawn.size()) >= failAfterDraws) {
            *error = QStringLiteral("paper jam");
            return true;
        }
        return false;
    }
    void SetFont(const QString&, int points) override { m_points = points; }
    int AverageCharWidth() const override { return 2 * m_points; }
    QSize TextExtent(const QString& text) const override
    {
        measured += text.size();
        const int wide = static_cast<int>(text.count(u'W'));
        return {(GbkLength(text) + 2 * wide) * AverageCharWidth(), 4 * m_points};
    }
    void DrawText(int x, int y, const QString& text) override
    {
        if (throwAtDraw >= 0 && static_cast<int>(drawn.size()) == throwAtDraw)
            throw std::runtime_error("device lost");
        drawn.push_back({text, x, y, m_points});
    }
    void DrawRectangle(int x1, int y1, int x2, int y2, int pen) override { rects.push_back({x1, y1, x2, y2, pen}); }
    QPoint PageSize() override { return page; }
    int DpiX() const override { return dpi; }
    int DpiY() const override { return dpi; }
    int OffsetY() const override { return offsetY; }

private:
    int m_points = 12;
    TPrintDevice* m_previous = nullptr;
};
