#pragma once
// The options dialog's logic without its widgets: the values its controls show,
// loaded from AppSettings at every opening and stored back only on OK, and the
// restore-defaults step. The dialog is a thin view over this; tests run it alone.
#include "base/app_settings.h"

#include <QString>

#include <array>
#include <cstdint>

namespace kelvaron {

// The value panels whose colours the "Прочее" tab sets, top to bottom.
enum class ColorRow { K, N, Rpm, Oil, Captions };
constexpr int kColorRows = 5;

struct OptionsValues {
    // Check boxes: ticked exactly when the field equals 1.
    bool connectAtStart = false;  // CheckBox5
    bool showNorms = false;       // CheckBox2
    bool normsInReport = false;   // CheckBox1
    bool showLegend = false;      // CheckBox3, never shown to the operator
    // Choices: the index of the chosen item.
    int portSearch = 0;     // RadioGroup1: 0 COM1..COM8, 1 all available ports
    int chartQuantity = 0;  // RadioGroup3: 0 K, 1 N
    int lineWidth = 1;      // SpinEdit7, 1..5
    // Colours as stored, 0x00BBGGRR. Kept as the stored integers, so that OK
    // without a change gives back exactly what was read.
    int32_t chartBackColor = 0;  // the chart background sample's colour
    struct RowColors {
        int32_t text = 0;
        int32_t back = 0;
        friend bool operator==(const RowColors&, const RowColors&) = default;
    };
    std::array<RowColors, kColorRows> rows{};

    RowColors& Row(ColorRow row) { return rows[static_cast<size_t>(row)]; }
    const RowColors& Row(ColorRow row) const { return rows[static_cast<size_t>(row)]; }

    // The controls as the dialog shows them on opening.
    void Load(const AppSettings& settings);
    // OK: the option fields from the controls, in the dialog's order; every other
    // field of the record is left as it is.
    void Store(AppSettings& settings) const;

    friend bool operator==(const OptionsValues&, const OptionsValues&) = default;
};

constexpr int kMinLineWidth = 1;
constexpr int kMaxLineWidth = 5;

// A line width brought into 1..5.
int ClampLineWidth(int width);
// The line-width entry as typed: a number is brought into 1..5, anything that is
// not a number gives 1.
int LineWidthFromEntry(const QString& entry);

// The item a choice shows for a stored value. The program reads both choice
// fields as "0 or not 0" (COM1..COM8 or all ports; K or N), so 0 selects the
// first item and any other value, 7 or -1 included, the second: the dialog shows
// what the program does with the value, and OK stores it as 1.
int ChoiceIndex(int32_t storedValue);

// The whole default record over `settings`, all 320 bytes: window geometry,
// norm index, recording settings and reserved fields included.
void RestoreDefaults(AppSettings& settings);

}  // namespace kelvaron
