#pragma once
// Whole files as bytes, for tests that check what was written byte for byte.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

namespace kelvaron::testing {

// The file's bytes; empty when it cannot be read.
inline QByteArray FileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

// Replaces the file with `bytes`; the test fails when it cannot.
inline void PutFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

}  // namespace kelvaron::testing
