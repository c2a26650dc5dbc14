// gifanim answers in the user's language: Chinese for a zh locale (LC_ALL, then LC_MESSAGES,
// then LANG) or --lang zh, English otherwise or with --lang en. Under Chinese, failures are
// the library's own texts after the command's name; help comes in both languages.
#include <gtest/gtest.h>

#include <sstream>

#include "giflib_writer_support.h"
#include "maker_support.h"
#include "tool_run_support.h"

namespace gif::testing {
namespace {

#ifdef GIFANIM_PATH

std::vector<uint8_t> Padded(std::string text) {
    text.resize(40, 'x');
    return {text.begin(), text.end()};
}

TEST(GifanimLanguage, MessagesAndHelpFollowTheLocaleAndLang) {
    const std::string folder = TemporaryFolder();
    WriteFileBytes(folder + "/not.gif", Padded("not a GIF at all"));
    WriteFileBytes(folder + "/version.gif", Padded("GIF90a"));
    // A block introducer that does not exist right after the screen descriptor.
    WriteFileBytes(folder + "/damaged.gif", Padded(std::string("GIF89a\1\0\1\0\0\0\0\x99", 14)));
    WriteFileBytes(folder + "/good.gif",
                   RawGif()
                       .Screen(1, 1, 0x80)
                       .Bytes({0, 0, 0, 255, 255, 255})
                       .Image(0, 0, 1, 1, 0, {}, 2, EncodeLzw(std::vector<uint8_t>{1}, 2))
                       .Trailer()
                       .bytes);
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* chinese;  // what standard error (or, for help, standard output) starts with
        const char* english;
    };
    const Case cases[] = {
        {{"info", "not.gif"}, 1, "gifanim info: 不是GIF图片数据\n", "gifanim info: Not GIF data\n"},
        {{"info", "version.gif"},
         1,
         "gifanim info: GIF图片版本号不正确\n",
         "gifanim info: The GIF version is neither 87a nor 89a\n"},
        {{"info", "damaged.gif"},
         1,
         "gifanim info: GIF图片文件已经损坏\n",
         "gifanim info: The GIF file is damaged\n"},
        {{"frame", "good.gif", "2", "-o", "out.bmp"},
         1,
         "gifanim frame: 帧序号超出范围\n",
         "gifanim frame: The frame number is out of range\n"},
        {{"frame", "good.gif", "1", "-o", "missing/out.bmp"},
         1,
         "gifanim frame: 创建文件失败: missing/out.bmp: ",
         "gifanim frame: Could not create missing/out.bmp: "},
        {{"info", "--no-such-option"},
         2,
         "gifanim info: 未知选项 --no-such-option\n",
         "gifanim info: unknown option --no-such-option\n"},
        {{"--help"}, 0, "用法: gifanim 命令", "usage: gifanim COMMAND"},
        {{"optimize", "--help"}, 0, "用法: gifanim optimize", "usage: gifanim optimize"},
    };
    // Environment, --lang, and whether the answer is Chinese.
    struct Setting {
        const char* environment;
        const char* lang;
        bool chinese;
    };
    const Setting settings[] = {
        {"LANG=zh_CN.UTF-8", nullptr, true},
        {"LANG=C.UTF-8", nullptr, false},
        {"LANG=C.UTF-8", "zh", true},
        {"LANG=zh_CN.UTF-8", "en", false},
        {"LC_ALL=zh_TW.UTF-8 LANG=C.UTF-8", nullptr, true},
        {"LC_MESSAGES=C.UTF-8 LANG=zh_CN.UTF-8", nullptr, false},
    };
    for (const Setting& setting : settings) {
        const std::string prefix = std::string("cd ") + ShellQuote(folder) +
                                   " && env -u LC_ALL -u LC_MESSAGES " + setting.environment + " ";
        for (const Case& c : cases) {
            std::vector<std::string> args = c.args;
            if (setting.lang) args.insert(args.begin() + 1, {"--lang", setting.lang});
            const ToolRun run = RunTool(GIFANIM_PATH, args, folder, prefix);
            const std::string& said = c.status == 0 ? run.out : run.err;
            const std::string expected = setting.chinese ? c.chinese : c.english;
            EXPECT_EQ(run.status, c.status) << setting.environment << ' ' << c.args[0];
            EXPECT_EQ(said.substr(0, expected.size()), expected) << setting.environment;
        }
    }

    // Every command has its help in both languages, whoever added it.
    const ToolRun overview = RunTool(GIFANIM_PATH, {"--help", "--lang", "en"}, folder);
    std::istringstream lines(overview.out);
    int commands = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  ", 0) != 0 || line.size() < 3 || line[2] == ' ') continue;
        const std::string name = line.substr(2, line.find(' ', 2) - 2);
        ++commands;
        for (const char* lang : {"zh", "en"}) {
            const ToolRun help = RunTool(GIFANIM_PATH, {name, "--help", "--lang", lang}, folder);
            const std::string start =
                std::string(lang[0] == 'z' ? "用法: " : "usage: ") + "gifanim " + name;
            EXPECT_EQ(help.out.substr(0, start.size()), start) << name;
        }
    }
    EXPECT_GE(commands, 6);
}

#endif

}  // namespace
}  // namespace gif::testing
