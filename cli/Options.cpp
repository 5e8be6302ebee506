#include "cli/Commands.h"

#include "core/Types.h"
#include "link/LinkFile.h"
#include "text/Cp949.h"

namespace mrv::cli {

std::string DefaultTitleUtf8() { return text::Cp949ToUtf8Lossy(kDefaultTitle); }

std::string WithDefault(std::string_view what, std::string_view value)
{
    std::string help(what);
    help += " (기본값 ";
    help += value;
    help += ")";
    return help;
}

ArgSpec KindOption()
{
    return {"--kind", ValueType::Choice, "링크 종류 (기본값 mrv)", 0, 0, {"mrv", "mod"}};
}

ArgSpec NumberOption()
{
    return {"--number", ValueType::Integer, "링크 번호 0~99999 (기본값 1)", 0, link::kMaxLinkNumber, {}};
}

ArgSpec LocationOption()
{
    return {"--location", ValueType::Integer,
            "저장 위치 (기본값 0): 0 내장 mod ZQM, 1 내장 MP3 ZQM, 2 내장 mod DCF, 3 내장 MP3 DCF, "
            "4 메모리 카드 ZQM, 5 메모리 카드 DCF",
            0, kStorageLocationCount - 1, {}};
}

LinkKind KindOf(const Args& args)
{
    return args.Text("--kind", "mrv") == "mod" ? LinkKind::Mod : LinkKind::Mrv;
}

int NumberOf(const Args& args)
{
    return static_cast<int>(args.Integer("--number", 1));
}

StorageLocation LocationOf(const Args& args)
{
    return static_cast<StorageLocation>(args.Integer("--location", 0));
}

} // namespace mrv::cli
