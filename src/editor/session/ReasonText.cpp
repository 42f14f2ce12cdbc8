#include "editor/session/ReasonText.h"

// GCC 12 at -O2 with the sanitizers warns inside libstdc++'s regex automaton (a false
// "maybe uninitialized" in std::function's move); the warning is about the header, not us.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <regex>
#include <utility>
#include <vector>

namespace zelk {
namespace {

struct Rule {
    std::regex english;
    const char* japanese; // $1, $2 … are the groups
};

// Whole reasons and sentence shapes first, then the nouns they name; a rule sees the text
// the rules before it left.
const std::vector<Rule>& rules() {
    static const std::vector<Rule> table = [] {
        const std::pair<const char*, const char*> pairs[] = {
            // Project files.
            {"project file is truncated", "ファイルが途中で切れています"},
            {"project file is not a valid gzip stream",
             "編集ファイルではありません（gzip形式ではありません）"},
            {"project file has data after its gzip stream",
             "ファイルの終わりの後に余分なデータがあります"},
            {"project text larger than (\\d+) MiB.*", "展開すると$1MiBを超えます"},
            {"the file is too large for a project file", "編集ファイルとしては大きすぎます"},
            {"the song has no file name", "曲にファイル名がありません"},
            {"the song has no measures", "小節がありません"},
            {"the measures are longer than 9600 columns", "小節の合計が9600列を超えています"},
            {"more key signatures than measures", "調号が小節より多くあります"},
            {"text after the last part", "最後のパートの後に余分な行があります"},
            {"internal reader state", "読み込みの内部エラー"},
            {"(.+) holds a line that is not a number", "$1に数でない行があります"},
            {"the file ends inside (.+)", "$1の途中でファイルが終わっています"},
            {"part file ends inside its (.+)", "作業ファイルが$1の途中で終わっています"},
            {"(.+) is not a number", "$1が数ではありません"},
            {"(.+) (-?\\d+) outside (-?\\d+)\\.\\.(-?\\d+)", "$1（$2）が$3～$4の範囲外です"},
            {"part program, reverb or chorus outside 0\\.\\.127",
             "音色、残響、コーラスが0～127の範囲外です"},
            {"work file of part (\\d+) is empty", "パート$1の作業ファイルが空です"},
            {"work file of part (\\d+)", "パート$1の作業ファイル"},
            {"cannot write the work files", "作業ファイルを書き込めません"},
            {"cannot replace the work files", "作業ファイルを置き換えられません"},
            {"cannot read the file", "ファイルを読めません"},
            // MIDI files.
            {"not a Standard MIDI File", "スタンダードMIDIファイルではありません"},
            {"MIDI file ends inside a chunk", "MIDIファイルがチャンクの途中で終わっています"},
            {"MIDI file has a variable-length number over four bytes",
             "MIDIファイルに4バイトを超える可変長数があります"},
            {"MIDI track longer than any song", "MIDIトラックが長すぎます"},
            {"MIDI track starts with a data byte", "MIDIトラックがデータバイトで始まっています"},
            {"MIDI track holds a system message that a file cannot hold",
             "MIDIトラックにファイルに書けないシステムメッセージがあります"},
            {"MIDI file of a format or time division this program does not play",
             "このプログラムが扱えない形式か分解能のMIDIファイルです"},
            // Files of any kind; the system's reason after the colon stays the system's.
            {"not a regular file, will not replace (.+)",
             "$1は通常のファイルではないため置き換えません"},
            {"(.+) is larger than (\\d+) MiB", "$1は$2MiBより大きいファイルです"},
            {"cannot open (.+?)(: |$)", "$1を開けません$2"},
            {"cannot read (.+?)(: |$)", "$1を読めません$2"},
            {"cannot create (.+?)(: |$)", "$1を作成できません$2"},
            {"cannot write (.+?)(: |$)", "$1に書き込めません$2"},
            {"cannot replace (.+?)(: |$)", "$1を置き換えられません$2"},
            // The parts of a project file a reason names.
            {"\\bline (\\d+)", "$1行目"},
            {"\\bpart (\\d+)", "パート$1"},
            {"the title", "曲名"},
            {"the copyright", "著作権表示"},
            {"the loop point", "ループポイント"},
            {"loop measure", "ループの小節"},
            {"the time signature", "拍子"},
            {"the beat spacing", "拍の間隔"},
            {"the key signatures", "調号"},
            {"the key signature", "調号"},
            {"key mask", "調号"},
            {"key shift", "調号の向き"},
            {"the tempo lane", "テンポ"},
            {"the tempo", "テンポ"},
            {"tempo index", "テンポ"},
            {"the measure section", "小節の設定"},
            {"measure length", "小節の長さ"},
            {"part length", "パートの長さ"},
            {"\\bheader\\b", "音色の設定"},
            {"\\blanes\\b", "効果の値"},
        };
        std::vector<Rule> out;
        for (const auto& [english, japanese] : pairs)
            out.push_back({std::regex(english), japanese});
        return out;
    }();
    return table;
}

} // namespace

std::string reasonInJapanese(std::string_view reason) {
    std::string text(reason);
    for (const Rule& r : rules())
        text = std::regex_replace(text, r.english, r.japanese);
    return text;
}

} // namespace zelk

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
