#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Small file helpers shared by the tests that copy files.
namespace TestFiles {
// Reproducible pseudo-random content of `size` bytes.
QByteArray RandomBytes(qint64 size, quint32 seed);
bool WriteFile(const QString& path, const QByteArray& data);
// The file's bytes, or "<unreadable>" so a missing file never equals empty content.
QByteArray ReadFile(const QString& path);
// Every entry of a folder, hidden ones included, by name.
QStringList Entries(const QString& folder);
}  // namespace TestFiles
