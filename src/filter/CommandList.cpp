#include "filter/CommandList.h"

#include "res/StringTable.h"

namespace vyx {

const std::vector<int>& CommandListStringIds() {
    static const std::vector<int> ids = [] {
        std::vector<int> list = {120, 129, 139, 140, 141, 142, 143, 144, 151, 218, 219, 220, 221,
                                 134, 133, 132, 135, 131, 130, 222, 153, 154, 161, 162};
        for (int id = 163; id <= 191; ++id) list.push_back(id);
        list.push_back(217);
        for (int id = 192; id <= 216; ++id) list.push_back(id);
        return list;
    }();
    return ids;
}

std::vector<std::string_view> CommandListTexts() {
    std::vector<std::string_view> texts;
    for (int id : CommandListStringIds()) texts.push_back(res::LoadString(id));
    return texts;
}

int CommandIndexOf(std::string_view text) {
    const auto& ids = CommandListStringIds();
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (res::LoadString(ids[i]) == text) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace vyx
