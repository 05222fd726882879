#include "res/StringTable.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vyx::res {
namespace {

struct Entry {
    int id;
    std::string_view text;
};

// Sorted by id. Texts are kept exactly as the program has always shown them, misspellings included.
constexpr auto kTable = std::to_array<Entry>({
    {106, "Sr.No."},
    {107, "Date-Time"},
    {108, "MessageContent"},
    {109, "MessageMode"},
    {110, "Source"},
    {111, "FCU"},
    {112, "Channel"},
    {113, "FCU No."},
    {114, "FCU Type"},
    {115, "Channel"},
    {116, "MS_A(left)"},
    {117, "MS_B(right)"},
    {118, "MISCDATA.TXT"},
    {119, "FCU Information file is not avaiable.  Please select another folder."},
    {120, "--ALL--"},
    {124, "Please select valid date range."},
    {125, "Start date can not be greater than end date."},
    {126, "No valid record found."},
    {127, "No Data File Found."},
    {128, "No FCU Found."},
    {129, "Open"},
    {130, "Startup Sequence"},
    {131, "Set Time"},
    {132, "M7 Idle"},
    {133, "Halvik Common Protocol"},
    {134, "Modbus"},
    {135, "Parameter Block Transfer"},
    {136, "Report generation aborted.\nPlease try again."},
    {137, "Can not start excel application."},
    {138, "Unidentified Message"},
    {139, "Close"},
    {140, "Stop"},
    {141, "ESD"},
    {142, "PSTROKE"},
    {143, "POSENA"},
    {144, "Position"},
    {145, "Invalid"},
    {146, "NA"},
    {147, "The records can span over multiple files.\nDo you want to continue ?"},
    {148, "Report generation is in process.\nDo you want to cancel the operation ?"},
    {149, "Message Log report generated successfully."},
    {150, "Report generation is in process.\nDo you want to stop and restart the operation ?"},
    {151, "Analogue Output"},
    {152, "Multiple"},
    {153, "Aux Input 1"},
    {154, "Aux Input 2"},
    {155, "No."},
    {156, "Packet"},
    {157, "Block and Parameter Info"},
    {158, "Information"},
    {159, "Detail Information"},
    {160, "FCU"},
    {161, "Aux Input 3"},
    {162, "Aux Input 4"},
    {163, "Open limit switch"},
    {164, "Close limit switch"},
    {165, "Actuator stopped in mid travel"},
    {166, "Vx Valve moving"},
    {167, "Motor running"},
    {168, "Motor running open direction"},
    {169, "Motor running close direction"},
    {170, "Actuator moving"},
    {171, "Traveling open direction"},
    {172, "Traveling close direction"},
    {173, "Digital Input 1"},
    {174, "Digital Input 2"},
    {175, "Digital Input 3"},
    {176, "Digital Input 4"},
    {177, "Digital Input 5"},
    {178, "Digital Input 6"},
    {179, "Digital Input 7"},
    {180, "Digital Input 8"},
    {181, "External contact input"},
    {182, "Loopback on"},
    {183, "New alarm flag"},
    {184, "Any alarm present on this FCU"},
    {185, "Battery Low Indication"},
    {186, "Kolvane control, remote selected"},
    {187, "VTT"},
    {188, "AUXOR"},
    {189, "RAM/ROM Failure"},
    {190, "Comms Fail"},
    {191, "Actuator not in remote control"},
    {192, "Control not available"},
    {193, "Power on reset"},
    {194, "Watchdog fail"},
    {195, "Monitor relay"},
    {196, "Thermostat trip"},
    {197, "Low pressure"},
    {198, "Local stop operated"},
    {199, "Kolvane selected to Off"},
    {200, "Start/stop fail"},
    {201, "Valve obstructed"},
    {202, "Valve jammed"},
    {203, "Manual valve movement"},
    {204, "Manual open"},
    {205, "Manual close"},
    {206, "Manual opening"},
    {207, "Manual closing"},
    {208, "Motor running end of travel"},
    {209, "Masterstation Loopback in Use"},
    {210, "Masterstation Power On Reset"},
    {211, "Masterstation Watchdog Fail"},
    {212, "Masterstation Auto-Loopback Occurred"},
    {213, "Masterstation 'A' Unhealthy"},
    {214, "Masterstation 'B' Unhealthy"},
    {215, "Masterstation - Loop open circuit"},
    {216, "Masterstation - Loop short circuit"},
    {217, "Actuator in remote control"},
    {218, "Global ESD Trigger"},
    {219, "Change Master"},
    {220, "System reconfiguration"},
    {221, "System / Comms Alarm accept"},
    {222, "--ALL STATUS AND ALARMS--"},
    {223, "Command Type"},
    {224, "FCU No"},
    {61712, "Please enter an integer."},
    {61714, "Please enter an integer between %1 and %2."},
});

constexpr bool IsSorted() {
    for (std::size_t i = 1; i < kTable.size(); ++i) {
        if (kTable[i - 1].id >= kTable[i].id) return false;
    }
    return true;
}
static_assert(IsSorted(), "string table must be sorted by id without duplicates");

const Entry* Find(int id) {
    auto it = std::lower_bound(kTable.begin(), kTable.end(), id,
                               [](const Entry& e, int key) { return e.id < key; });
    return (it != kTable.end() && it->id == id) ? &*it : nullptr;
}

}  // namespace

std::string_view LoadString(int id) {
    const Entry* e = Find(id);
    return e ? e->text : std::string_view{};
}

bool HasString(int id) { return Find(id) != nullptr; }

}  // namespace vyx::res
