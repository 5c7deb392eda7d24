#include "settings_image.h"

namespace velko {

DeviceImageRows DeviceImage;
std::array<std::uint8_t, PasswordBytes> DevicePassword{};
std::array<std::uint8_t, RecordBytes> VectorData{};
std::array<std::uint8_t, RelayAssignBytes> RelayAssign{};
std::int32_t KeyRelayCount = 0;
std::int32_t UDRelayNum = 0;
std::int32_t LRRelayNum = 0;
std::int32_t EWRelayNum = 0;
std::int32_t SNRelayNum = 0;
std::array<bool, AxisGroups> RelayCountDirty{};

std::int32_t& AxisRelayNum(int group)
{
    switch (group) {
    case UD: return UDRelayNum;
    case LR: return LRRelayNum;
    case EW: return EWRelayNum;
    default: return SNRelayNum;
    }
}

void ClearSettingsState()
{
    DeviceImage = DeviceImageRows{};
    DevicePassword.fill(0);
    VectorData.fill(0);
    RelayAssign.fill(0);
    KeyRelayCount = UDRelayNum = LRRelayNum = EWRelayNum = SNRelayNum = 0;
    RelayCountDirty.fill(false);
}

} // namespace velko
