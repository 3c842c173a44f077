#include "app/options_model.h"

#include <algorithm>

namespace kelvaron {

namespace {

bool Ticked(int32_t field) { return field == 1; }
int32_t Flag(bool ticked) { return ticked ? 1 : 0; }

}  // namespace

int ClampLineWidth(int width) { return std::clamp(width, kMinLineWidth, kMaxLineWidth); }

int LineWidthFromEntry(const QString& entry) {
    bool ok = false;
    const int width = entry.trimmed().toInt(&ok);
    return ok ? ClampLineWidth(width) : kMinLineWidth;
}

int ChoiceIndex(int32_t storedValue) { return storedValue == 0 ? 0 : 1; }

void OptionsValues::Load(const AppSettings& s) {
    connectAtStart = Ticked(s.connectAtStart());
    showNorms = Ticked(s.showNorms());
    normsInReport = Ticked(s.normsInReport());
    showLegend = Ticked(s.showLegend());
    portSearch = ChoiceIndex(s.portSearch());
    chartQuantity = ChoiceIndex(s.chartQuantity());
    lineWidth = ClampLineWidth(s.lineWidth());
    chartBackColor = s.chartBackColor();
    Row(ColorRow::K) = {s.kFontColor(), s.kBackColor()};
    Row(ColorRow::N) = {s.nFontColor(), s.nBackColor()};
    Row(ColorRow::Rpm) = {s.rpmFontColor(), s.rpmBackColor()};
    Row(ColorRow::Oil) = {s.oilFontColor(), s.oilBackColor()};
    Row(ColorRow::Captions) = {s.captionFontColor(), s.captionBackColor()};
}

void OptionsValues::Store(AppSettings& s) const {
    s.setConnectAtStart(Flag(connectAtStart));
    s.setPortSearch(ChoiceIndex(portSearch));
    s.setChartQuantity(ChoiceIndex(chartQuantity));
    s.setNormsInReport(Flag(normsInReport));
    s.setShowNorms(Flag(showNorms));
    s.setShowLegend(Flag(showLegend));
    s.setLineWidth(ClampLineWidth(lineWidth));
    s.setChartBackColor(chartBackColor);
    s.setKBackColor(Row(ColorRow::K).back);
    s.setKFontColor(Row(ColorRow::K).text);
    s.setNBackColor(Row(ColorRow::N).back);
    s.setNFontColor(Row(ColorRow::N).text);
    s.setRpmBackColor(Row(ColorRow::Rpm).back);
    s.setRpmFontColor(Row(ColorRow::Rpm).text);
    s.setOilBackColor(Row(ColorRow::Oil).back);
    s.setOilFontColor(Row(ColorRow::Oil).text);
    s.setCaptionBackColor(Row(ColorRow::Captions).back);
    s.setCaptionFontColor(Row(ColorRow::Captions).text);
}

void RestoreDefaults(AppSettings& settings) { settings = AppSettings::Defaults(); }

}  // namespace kelvaron
