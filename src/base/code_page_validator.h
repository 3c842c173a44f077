#pragma once
// Entry fields whose text goes into the Windows-1251 files (the report, the
// station and norms files, the recording) take only characters the code page
// holds: anything else would be written as "?".
#include <QValidator>

namespace kelvaron {

class Cp1251Validator final : public QValidator {
public:
    explicit Cp1251Validator(QObject* parent) : QValidator(parent) {}
    // A text with a character outside the code page is refused whole: the key
    // or the paste that brought it changes nothing.
    State validate(QString& input, int& position) const override;
};

}  // namespace kelvaron
