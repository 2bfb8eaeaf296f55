// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "settings/StringTable.h"
#include "settings/Toolkit.h"

class QWidget;

namespace Tormel::Gui::Detail {

// The start-up read and the "Open" sequence, the same for both windows; the file class, the
// record and the outcome type say which window's document it is.

template <class File, class Record>
std::optional<Record> loadStartup() {
    File file;
    if (!file.fileOpen()) {
        return std::nullopt;
    }
    Record config;
    file.loadXML(config);  // a failed read leaves the new object, which fails the check below
    if (!config.checkConfigData(false, true)) {
        return std::nullopt;
    }
    return config;
}

// Messages are captioned with the tool's name (`captionId`). `unreadable` runs as soon as the
// opened file turns out not to be a document (the form then shows its defaults), before the
// messages of the checks that follow.
template <class File, class Outcome>
Outcome openAndCheck(const QString& path, bool aesEnFlg, QWidget* parent, Msg captionId,
                     const std::function<void()>& unreadable = {}) {
    using Result = decltype(Outcome::result);
    using Record = decltype(Outcome::config);
    StringTable st;
    auto show = [&](Msg id) {
        toolkit().messageBox(st.getString(id), st.getString(captionId), MessageBoxButtons::OK,
                             MessageBoxIcon::Error, parent);
    };
    File file;
    if (!file.fileOpenSpecify(path)) {
        show(Msg::SettingsFileMismatch);
        return {Result::NotOpened, Record()};
    }
    Record config;
    if (!file.loadXML(config) && unreadable) {
        unreadable();
    }
    if (!config.checkSettingToolData(true, parent)) {
        return {Result::Refused, Record()};
    }
    if (!config.checkConfigData(false, aesEnFlg, parent)) {
        show(Msg::InvalidParametersLoaded);
        return {Result::Refused, Record()};
    }
    return {Result::Loaded, config};
}

template <class File, class Record>
bool writeTo(const QString& path, const Record& config) {
    File file;
    return file.fileCreateSpecify(path) && file.saveXML(config);
}

// "Save" and "Set": the candidate is written only once it passes its check (with field messages
// when errMsgFlg). Whether the write itself succeeds is not reported; true tells only that the
// check passed, so the settings may go on to the unit or firmware image.
template <class Record, class Write>
bool writeIfChecked(const Record& candidate, bool errMsgFlg, bool aesEnFlg, QWidget* parent, Write write) {
    if (!candidate.checkConfigData(errMsgFlg, aesEnFlg, parent)) {
        return false;
    }
    write(candidate);
    return true;
}

}  // namespace Tormel::Gui::Detail
