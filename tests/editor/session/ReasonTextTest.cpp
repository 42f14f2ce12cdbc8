#include "editor/session/ReasonText.h"

#include "files/TextLines.h"
#include "platform/GzipCompressor.h"
#include "storage/Project.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

// GCC 12 at -O2 with the sanitizers warns falsely inside libstdc++'s regex automaton.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <regex>
#include <string>

namespace zelk {
namespace {

TEST(ReasonTextTest, ReasonsOfTheProgramReadInJapanese) {
    struct Case {
        const char* english;
        const char* japanese;
    };
    const Case cases[] = {
        {"project file is not a valid gzip stream",
         "編集ファイルではありません（gzip形式ではありません）"},
        {"line 12: the tempo is not a number", "12行目: テンポが数ではありません"},
        {"line 3: measure length 7 outside 4..48", "3行目: 小節の長さ（7）が4～48の範囲外です"},
        {"the file ends inside the key signatures", "調号の途中でファイルが終わっています"},
        {"work file of part 3: line 5 is not a number",
         "パート3の作業ファイル: 5行目が数ではありません"},
        {"work file of part 16 is empty", "パート16の作業ファイルが空です"},
        {"part 2: part length 9700 outside 1..9600",
         "パート2: パートの長さ（9700）が1～9600の範囲外です"},
        // The system's own reason after the colon stays as the system worded it.
        {"cannot open /home/a/song.zelk: Permission denied",
         "/home/a/song.zelkを開けません: Permission denied"},
        {"cannot create /music/bgm.ogg", "/music/bgm.oggを作成できません"},
        {"not a Standard MIDI File", "スタンダードMIDIファイルではありません"},
        // Unknown words stay: a reason is never lost.
        {"something new happened", "something new happened"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(reasonInJapanese(c.english), c.japanese) << c.english;
}

// Every refusal the loader gives for damaged project files comes out without an English word
// of the program's (paths and the system's reasons aside, which these files do not meet).
TEST(ReasonTextTest, TheLoadersRefusalsLeaveNoEnglishBehind) {
    test::TempFolder tmp;
    const GzipCompressor gzip;
    const std::string damaged[] = {
        "not gzip at all",
        gzip.compress("title\r\n-4\r\n"),
        gzip.compress("title\r\n-4\r\nx\r\n"),
        gzip.compress("title\r\n-4\r\n7\r\n"),
        gzip.compress("title\r\n-4\r\n8\r\n120\r\n"),
        gzip.compress("title\r\n-4\r\n0\r\n"),
    };
    const std::regex englishWord("[A-Za-z]{3,}");
    for (const std::string& bytes : damaged) {
        const auto file = tmp.path() / "bad.zelk";
        writeWholeFile(file, bytes);
        try {
            readProjectFile(file, gzip);
            ADD_FAILURE() << "accepted";
        } catch (const std::exception& e) {
            const std::string shown = reasonInJapanese(e.what());
            std::string withoutGzip = std::regex_replace(shown, std::regex("gzip"), "");
            EXPECT_FALSE(std::regex_search(withoutGzip, englishWord))
                << e.what() << " -> " << shown;
        }
    }
}

} // namespace
} // namespace zelk

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
