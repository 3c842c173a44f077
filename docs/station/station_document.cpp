// Builds the documents that ship beside the program from their UTF-8 sources:
//
//   station_document text SOURCE TARGET   Windows-1251 text with CR LF line ends
//   station_document rtf SOURCE TARGET    an RTF document in code page 1251
//
// The RTF source is plain text: its first line is the title, and paragraphs are
// separated by blank lines. A character the code page cannot hold fails the
// build rather than turning into "?" in the shipped file.
#include "base/text_codec.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

namespace {

bool Fail(const QString& message) {
    std::fprintf(stderr, "station_document: %s\n", qPrintable(message));
    return false;
}

bool ReadSource(const QString& path, QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return Fail(path + QStringLiteral(": cannot be read"));
    QStringDecoder utf8(QStringDecoder::Utf8);
    text = utf8(file.readAll());
    if (utf8.hasError()) return Fail(path + QStringLiteral(": not valid UTF-8"));
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (int i = 0; i < text.size(); ++i) {
        const QString one(text[i]);
        if (text[i] != QLatin1Char('?') && kelvaron::EncodeCp1251(one) == "?")
            return Fail(QStringLiteral("%1: character U+%2 on line %3 is not in Windows-1251")
                            .arg(path)
                            .arg(text[i].unicode(), 4, 16, QLatin1Char('0'))
                            .arg(text.left(i).count(QLatin1Char('\n')) + 1));
    }
    return true;
}

bool Write(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return Fail(path + QStringLiteral(": cannot be written"));
    return true;
}

QByteArray Text(QString text) {
    if (!text.endsWith(QLatin1Char('\n'))) text += QLatin1Char('\n');
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return kelvaron::EncodeCp1251(text);
}

// Plain ASCII as is, RTF's own characters escaped, everything else as \'XX of
// its Windows-1251 byte.
QByteArray RtfEscaped(const QString& text) {
    QByteArray out;
    for (const char byte : kelvaron::EncodeCp1251(text)) {
        const auto b = static_cast<unsigned char>(byte);
        if (b == '\\' || b == '{' || b == '}') {
            out += '\\';
            out += static_cast<char>(b);
        } else if (b >= 0x80) {
            out += QByteArray("\\'") + QByteArray::number(b, 16).rightJustified(2, '0');
        } else {
            out += static_cast<char>(b);
        }
    }
    return out;
}

QByteArray Rtf(const QString& text) {
    QStringList paragraphs;
    QString current;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.trimmed().isEmpty()) {
            if (!current.isEmpty()) paragraphs << current;
            current.clear();
        } else {
            current += (current.isEmpty() ? QString() : QStringLiteral(" ")) + line.trimmed();
        }
    }
    if (!current.isEmpty()) paragraphs << current;
    if (paragraphs.isEmpty()) return {};

    QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049\r\n"
        "{\\fonttbl{\\f0\\froman\\fcharset204 Times New Roman;}{\\f1\\fswiss\\fcharset204 "
        "Arial;}}\r\n";
    rtf += "{\\info{\\title " + RtfEscaped(paragraphs.first()) + "}}\r\n";
    rtf += "\\paperw11906\\paperh16838\\margl1701\\margr850\\margt1134\\margb1134\r\n";
    rtf +=
        "\\pard\\qc\\sb240\\sa360\\f1\\fs32\\b " + RtfEscaped(paragraphs.first()) + "\\b0\\par\r\n";
    for (qsizetype i = 1; i < paragraphs.size(); ++i)
        rtf += "\\pard\\qj\\fi567\\sa200\\f0\\fs26 " + RtfEscaped(paragraphs[i]) + "\\par\r\n";
    rtf += "}\r\n";
    return rtf;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 || (args[1] != QLatin1String("text") && args[1] != QLatin1String("rtf"))) {
        Fail(QStringLiteral("usage: station_document text|rtf SOURCE TARGET"));
        return 2;
    }
    QString text;
    if (!ReadSource(args[2], text)) return 1;
    const QByteArray bytes = args[1] == QLatin1String("text") ? Text(text) : Rtf(text);
    if (bytes.isEmpty()) {
        Fail(args[2] + QStringLiteral(": empty"));
        return 1;
    }
    return Write(args[3], bytes) ? 0 : 1;
}
