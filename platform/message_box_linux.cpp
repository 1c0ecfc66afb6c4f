// Message boxes: every box goes to standard error, then to the test seam, a
// scripted answer from BOX_ANSWERS, or the X11 dialog, in that order.
#include "platform/message_box.h"

#include "platform/message_box_x11.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::atomic<message_box_fn> seam{nullptr};

// An entry of BOX_ANSWERS that is none of yes, no, ok.
constexpr int SCRIPT_INVALID = -1;

// The scripted answers and the next one to use, shared by every thread.
struct answer_script {
    std::mutex lock;
    bool loaded = false;
    std::vector<int> answers;
    std::vector<std::string> words;
    size_t next = 0;
};
answer_script script;

// One entry of the list, blanks trimmed, in any case.
int script_answer_parse(std::string word) {
    std::string w;
    for (char c : word)
        if (!std::isspace(static_cast<unsigned char>(c)))
            w += char(std::tolower(static_cast<unsigned char>(c)));
    if (w == "yes") return MESSAGE_BOX_RESULT_YES;
    if (w == "no") return MESSAGE_BOX_RESULT_NO;
    if (w == "ok") return MESSAGE_BOX_RESULT_OK;
    return SCRIPT_INVALID;
}

// Reads BOX_ANSWERS into the script (lock held). An unset or empty variable
// gives no answers.
void script_load() {
    script.answers.clear();
    script.words.clear();
    script.next = 0;
    script.loaded = true;
    const char *env = std::getenv("BOX_ANSWERS");
    if (!env || !*env) return;
    std::string list = env;
    size_t start = 0;
    for (;;) {
        size_t comma = list.find(',', start);
        std::string word = list.substr(start, comma == std::string::npos ? comma : comma - start);
        script.words.push_back(word);
        script.answers.push_back(script_answer_parse(word));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
}

// Takes the next scripted answer. Returns false when the list is used up or
// the entry is not an answer (the real dialog shows then).
bool script_next(int *answer) {
    std::lock_guard<std::mutex> guard(script.lock);
    if (!script.loaded) script_load();
    if (script.next >= script.answers.size()) return false;
    size_t i = script.next++;
    if (script.answers[i] == SCRIPT_INVALID) {
        std::fprintf(stderr, "BOX_ANSWERS: \"%s\" is not yes, no or ok; showing the box\n",
                     script.words[i].c_str());
        return false;
    }
    *answer = script.answers[i];
    const char *name = *answer == MESSAGE_BOX_RESULT_YES  ? "yes"
                       : *answer == MESSAGE_BOX_RESULT_NO ? "no"
                                                          : "ok";
    std::fprintf(stderr, "BOX_ANSWERS: answered %s\n", name);
    return true;
}

} // namespace

int platform_message_box(const char *text, const char *caption, uint32_t type) {
    text = text ? text : "";
    caption = caption ? caption : "";
    std::fprintf(stderr, "[%s]\n%s\n", caption, text);
    if (message_box_fn fn = seam.load()) return fn(text, caption, type);
    int answer;
    if (script_next(&answer)) return answer;
    return message_box_x11_show(text, caption, type);
}

void platform_message_box_seam_set(message_box_fn fn) {
    seam = fn;
}

void platform_message_box_answers_reload() {
    std::lock_guard<std::mutex> guard(script.lock);
    script_load();
}
