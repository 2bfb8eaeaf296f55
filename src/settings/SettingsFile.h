// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>

#include "settings/SettingsXml.h"

class QFile;

namespace Tormel::Platform {
class FileReplacement;
}

namespace Tormel::Gui {

// Where the default settings file "config.xml" lives: in the program's folder, or, where
// that folder cannot be written (an installed program), in
// $XDG_CONFIG_HOME/pelnix-config/ (default ~/.config/pelnix-config/). It is read from the
// same place it is written to.
QString defaultSettingsFilePath();

// The decision behind defaultSettingsFilePath, from its inputs.
QString chooseDefaultSettingsPath(const QString& programDir, bool programDirWritable,
                                  const QString& xdgConfigHome, const QString& home, const QString& fileName);

// Replaces the default settings file's path for the whole process (tests); an empty path
// restores the normal choice.
void overrideDefaultSettingsFilePath(const QString& path);

// The file side shared by both settings file classes: one read stream and one write stream,
// each opened by a file operation and closed by the load or save that follows. A write goes
// to a temporary file in the target's folder that replaces the target only when the whole
// document has been written, so a failure never leaves a truncated file and never destroys
// the previous one. Every operation reports failure as false.
class SettingsFileAccess {
    Q_DISABLE_COPY(SettingsFileAccess)

  public:
    SettingsFileAccess();
    ~SettingsFileAccess();

    bool fileOpen();
    bool fileCreate();
    bool fileDelete();
    bool fileOpenSpecify(const QString& path);
    bool fileCreateSpecify(const QString& path);
    bool fileDeleteSpecify(const QString& path);

    // Why the last write or create failed: the file's path and the system's reason
    // ("/home/u/x.xml: Permission denied"); empty after one that succeeded.
    const QString& failure() const { return m_failure; }

  protected:
    // The whole content of the read stream, which is closed; nothing when no stream is open,
    // it cannot be read or it is far too large for a settings file.
    std::optional<QByteArray> readAllAndClose();
    // Writes the document and replaces the target; the stream is closed either way. Nothing
    // replaces the target unless every byte reached the disk (a full disk or a file-size limit
    // leaves the previous file as it was).
    bool writeAndCommit(const std::optional<QByteArray>& document);

  private:
    std::unique_ptr<QFile> m_rfs;
    std::unique_ptr<Platform::FileReplacement> m_wfs;
    QString m_writePath;
    QString m_failure;
};

// A settings document over the file side: `Record` names its root element (kRootElement) and
// its table of elements (xmlTable()), which drive both directions.
template <class Record>
class SettingsDocumentFile : public SettingsFileAccess {
  public:
    // Replaces `config` by the document read; on any failure `config` stays as it was.
    bool loadXML(Record& config) {
        const std::optional<QByteArray> bytes = readAllAndClose();
        return bytes && fromXml(*bytes, config);
    }
    // Writes the document and replaces the target file; false when nothing was replaced.
    bool saveXML(const Record& config) { return writeAndCommit(toXml(config)); }

    // The document's bytes as saveXML writes them; nothing when a text cannot be carried.
    static std::optional<QByteArray> toXml(const Record& config) {
        return SettingsXml::write(config, Record::kRootElement, Record::xmlTable());
    }
    // Parses a document; false leaves `config` untouched.
    static bool fromXml(const QByteArray& bytes, Record& config) {
        Record fresh;
        if (!SettingsXml::read(bytes, Record::kRootElement, Record::xmlTable(), fresh)) {
            return false;
        }
        config = fresh;
        return true;
    }
};

// Where a settings document was written, and why not when it was not.
struct SettingsFileWrite {
    QString path;
    QString failure;  // the path and the system's reason; empty: written

    bool ok() const { return failure.isEmpty(); }
};

// Writes `config` to `path`, or to the default settings file (its folder made first).
template <class Record>
SettingsFileWrite writeSettingsDocument(const QString& path, const Record& config) {
    SettingsDocumentFile<Record> file;
    if (file.fileCreateSpecify(path) && file.saveXML(config)) {
        return {path, {}};
    }
    return {path, file.failure()};
}
template <class Record>
SettingsFileWrite writeDefaultSettingsDocument(const Record& config) {
    SettingsDocumentFile<Record> file;
    if (file.fileCreate() && file.saveXML(config)) {
        return {defaultSettingsFilePath(), {}};
    }
    return {defaultSettingsFilePath(), file.failure()};
}

}  // namespace Tormel::Gui
