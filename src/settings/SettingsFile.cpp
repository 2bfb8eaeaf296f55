// SPDX-License-Identifier: MIT
#include "settings/SettingsFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <system_error>

#include "platform/FileReplacement.h"
#include "settings/SettingsXml.h"
#include "settings/StringTable.h"

namespace Tormel::Gui {

namespace {

QString& pathOverride() {
    static QString path;
    return path;
}

QString programDir() {
    if (QCoreApplication::instance() != nullptr) {
        return QCoreApplication::applicationDirPath();
    }
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

QString settingsFileName() {
    const QString name = StringTable().getString(Msg::DefaultSettingsFileName);
    return name.isEmpty() ? QStringLiteral("config.xml") : name;
}

}  // namespace

QString chooseDefaultSettingsPath(const QString& programDir, bool programDirWritable,
                                  const QString& xdgConfigHome, const QString& home,
                                  const QString& fileName) {
    if (programDirWritable) {
        return QDir(programDir).filePath(fileName);
    }
    // The XDG base-directory rules ignore a relative XDG_CONFIG_HOME.
    const QString base = !xdgConfigHome.isEmpty() && QDir::isAbsolutePath(xdgConfigHome)
                             ? xdgConfigHome
                             : QDir(home).filePath(QStringLiteral(".config"));
    return QDir(base).filePath(QStringLiteral("pelnix-config/") + fileName);
}

QString defaultSettingsFilePath() {
    if (!pathOverride().isEmpty()) {
        return pathOverride();
    }
    const QString dir = programDir();
    const bool writable = !dir.isEmpty() && QFileInfo(dir).isWritable();
    return chooseDefaultSettingsPath(dir, writable, qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::homePath(),
                                     settingsFileName());
}

void overrideDefaultSettingsFilePath(const QString& path) { pathOverride() = path; }

SettingsFileAccess::SettingsFileAccess() = default;
SettingsFileAccess::~SettingsFileAccess() = default;  // an uncommitted write is discarded

bool SettingsFileAccess::fileOpen() { return fileOpenSpecify(defaultSettingsFilePath()); }

bool SettingsFileAccess::fileCreate() {
    const QString path = defaultSettingsFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());  // the per-user folder may not exist yet
    return fileCreateSpecify(path);
}

bool SettingsFileAccess::fileDelete() { return fileDeleteSpecify(defaultSettingsFilePath()); }

bool SettingsFileAccess::fileOpenSpecify(const QString& path) {
    m_rfs.reset();
    // Only a regular file: opening a pipe or a device could wait forever or read endlessly.
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return false;
    }
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        return false;
    }
    m_rfs = std::move(file);
    return true;
}

bool SettingsFileAccess::fileCreateSpecify(const QString& path) {
    m_wfs.reset();
    m_failure.clear();
    m_writePath = path;
    // The replacement is renamed over the target, which must therefore be a regular file.
    const QFileInfo info(path);
    if (path.isEmpty() || (info.exists() && !info.isFile())) {
        m_failure = path + QStringLiteral(": ") +
                    QString::fromStdString(std::system_category().message(info.isDir() ? EISDIR : EINVAL));
        return false;
    }
    auto file = std::make_unique<Platform::FileReplacement>();
    const Platform::FileResult begun = file->begin(QFile::encodeName(path).toStdString());
    if (!begun.ok()) {
        m_failure = QFile::decodeName(QByteArray::fromStdString(begun.message));
        return false;
    }
    m_wfs = std::move(file);
    return true;
}

bool SettingsFileAccess::fileDeleteSpecify(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return false;
    }
    return QFile::remove(path);
}

std::optional<QByteArray> SettingsFileAccess::readAllAndClose() {
    std::unique_ptr<QFile> file = std::move(m_rfs);
    if (!file) {
        return std::nullopt;
    }
    QByteArray bytes = file->read(SettingsXml::kMaxDocumentBytes + 1);
    if (file->error() != QFileDevice::NoError || bytes.size() > SettingsXml::kMaxDocumentBytes) {
        return std::nullopt;
    }
    return bytes;
}

bool SettingsFileAccess::writeAndCommit(const std::optional<QByteArray>& document) {
    std::unique_ptr<Platform::FileReplacement> file = std::move(m_wfs);
    if (!file) {
        return false;  // the create failed and said why
    }
    const auto failed = [this](const Platform::FileResult& result) {
        m_failure = QFile::decodeName(QByteArray::fromStdString(result.message));
        return false;
    };
    if (!document) {
        file->discard();
        m_failure = m_writePath + QStringLiteral(": a text of the settings has no form in a settings file");
        return false;
    }
    const Platform::FileResult written =
        file->write(std::string_view(document->constData(), static_cast<std::size_t>(document->size())));
    if (!written.ok()) {
        file->discard();
        return failed(written);
    }
    const Platform::FileResult committed = file->commit();
    return committed.ok() || failed(committed);
}

}  // namespace Tormel::Gui
