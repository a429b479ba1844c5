#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <vector>

// Copies one file in chunks, reporting the bytes done after every chunk and stopping when the
// report says so. The data is written under a temporary name in the destination's folder and
// renamed over the destination only once complete, so a failed or stopped copy leaves an
// existing destination as it was and no fragment behind. A copy is complete only when it holds
// every byte of the source and the source's size and modification time did not change during
// it. Temporary files left in the folder by a copy that was killed are removed by the next one.
class FileCopier {
public:
    enum class Result { Copied, Failed, Cancelled };

    // Called after every chunk with the bytes written so far and the source's size; an empty
    // source reports once with (0, 0). Returning false stops the copy.
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    static constexpr qint64 kDefaultChunkSize = 4 * 1024 * 1024;

    void SetChunkSize(qint64 bytes) { m_chunkSize = qMax<qint64>(bytes, 1); }
    qint64 ChunkSize() const { return m_chunkSize; }
    // copy_file_range is tried first; false goes straight to read/write.
    void SetRangeCopy(bool enabled) { m_rangeCopy = enabled; }

    // Copies source to destination, replacing an existing destination file. The destination's
    // folder must exist; the source must be a regular file (a FIFO, device or socket fails at
    // once, without being opened for reading).
    Result Copy(const QString& source, const QString& destination, const Progress& progress = {});

    // Why the last copy failed (empty after success).
    QString ErrorString() const { return m_error; }

    // A name from the catalogue made safe to use as one file name inside a folder: separators,
    // control and text-direction characters and blanks at the start become "_", and a name
    // made only of dots (".", "..") or an empty one cannot name the folder itself or its parent.
    static QString SafeFileName(const QString& name);

    // Hard-links `previous` (a file of an earlier copy) as `destination` where it still stands
    // for `source`: an exact copy of it (same size and modification time), or with `derived` a
    // file made from it (a stripped copy) after the source last changed. False where it does
    // not, or where the file system has no hard links; the caller copies instead.
    static bool LinkUnchanged(const QString& source, const QString& previous,
                              const QString& destination, bool derived = false);

    // Removes the temporary files of this class in `folder` that no running copy holds (left
    // by a copy that was killed); returns how many.
    static int RemoveStaleTemporaries(const QString& folder);

private:
    Result Fail(const QString& what, int error);

    qint64 m_chunkSize = kDefaultChunkSize;
    bool m_rangeCopy = true;
    std::vector<char> m_buffer;  // for the read/write path, allocated on first use
    QString m_error;
};
