// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace Tormel::Domain::Common {

enum class NodeinfoAutoParamSyncEnable : int32_t { Disable = 1, Enable = 2 };
enum class NodeinfoExtendedGroup : int32_t { Disable = 1, Enable = 2 };
enum class NodeinfoEncryptEnable : int32_t { Disable = 1, Enable = 2 };
enum class NodeinfoAESEncryptEnable : int32_t { Disable = 1, Enable = 2 };
enum class NodeinfoAESEncryptType : int32_t { AES128 = 1, AES256 = 2 };
enum class NodeinfoAESEncryptKeySetting : int32_t { NotChange = 1, Change = 2, Init = 3 };
enum class NodeinfoWhiteningEnable : int32_t { Disable = 0, Enable = 1 };

// Identity, node-ID offset, grouping, encryption and whitening of a unit.
// Zero-filled on creation: the switches then hold 0, which is neither Disable nor Enable
// (except whitening, whose Disable is 0). Key words hold one 16-bit word each; a larger
// value can be stored and is refused only when sent to a unit.
struct Nodeinfo {
    std::string SoftwareName;
    std::string SoftwareVersion;
    uint32_t IdOffset = 0;
    NodeinfoAutoParamSyncEnable AutoParamSyncEnable{};
    NodeinfoExtendedGroup ExtendedGroup{};
    NodeinfoAESEncryptEnable AESEncryptEnable{};
    NodeinfoAESEncryptType AESEncryptType{};
    NodeinfoAESEncryptKeySetting AESEncryptKeySetting{};
    // The AES key in sixteen 16-bit words, word 1 first.
    uint32_t AESEncryptKey1 = 0, AESEncryptKey2 = 0, AESEncryptKey3 = 0, AESEncryptKey4 = 0;
    uint32_t AESEncryptKey5 = 0, AESEncryptKey6 = 0, AESEncryptKey7 = 0, AESEncryptKey8 = 0;
    uint32_t AESEncryptKey9 = 0, AESEncryptKey10 = 0, AESEncryptKey11 = 0, AESEncryptKey12 = 0;
    uint32_t AESEncryptKey13 = 0, AESEncryptKey14 = 0, AESEncryptKey15 = 0, AESEncryptKey16 = 0;
    NodeinfoEncryptEnable EncryptEnable{};
    // The older encryption's key in eight 16-bit words, word 1 first.
    uint32_t EncryptKey1 = 0, EncryptKey2 = 0, EncryptKey3 = 0, EncryptKey4 = 0;
    uint32_t EncryptKey5 = 0, EncryptKey6 = 0, EncryptKey7 = 0, EncryptKey8 = 0;
    NodeinfoWhiteningEnable WhiteningEnable = NodeinfoWhiteningEnable::Disable;

    bool operator==(const Nodeinfo&) const = default;
};

// The key words in order, word 1 first, for code that walks a key as a whole.
inline constexpr uint32_t Nodeinfo::*kAESEncryptKeyFields[16] = {
    &Nodeinfo::AESEncryptKey1,  &Nodeinfo::AESEncryptKey2,  &Nodeinfo::AESEncryptKey3,
    &Nodeinfo::AESEncryptKey4,  &Nodeinfo::AESEncryptKey5,  &Nodeinfo::AESEncryptKey6,
    &Nodeinfo::AESEncryptKey7,  &Nodeinfo::AESEncryptKey8,  &Nodeinfo::AESEncryptKey9,
    &Nodeinfo::AESEncryptKey10, &Nodeinfo::AESEncryptKey11, &Nodeinfo::AESEncryptKey12,
    &Nodeinfo::AESEncryptKey13, &Nodeinfo::AESEncryptKey14, &Nodeinfo::AESEncryptKey15,
    &Nodeinfo::AESEncryptKey16};
inline constexpr uint32_t Nodeinfo::*kEncryptKeyFields[8] = {
    &Nodeinfo::EncryptKey1, &Nodeinfo::EncryptKey2, &Nodeinfo::EncryptKey3, &Nodeinfo::EncryptKey4,
    &Nodeinfo::EncryptKey5, &Nodeinfo::EncryptKey6, &Nodeinfo::EncryptKey7, &Nodeinfo::EncryptKey8};

}  // namespace Tormel::Domain::Common
