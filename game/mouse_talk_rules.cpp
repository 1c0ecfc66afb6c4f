// The Mouse conversation's screens and responses as tables.
//
// Statements of the conversation are numbered by their source lines, 3000 to
// 3213, in the order the talk is listed: entry, Mouse menu, leaving, herb
// request, herb award, weather, local affairs with the Badger and rumour
// questions, personal affairs, potion question, jokes, walking away. A screen
// numbers its CLS, picture, option lines, INPUT and answer test one after
// another from its `line`; a response numbers its steps from its own `line`.
#include "game/mouse_talk_rules.h"

const std::array<float *, 12> mouse_visit_flags = {
    &mouse_smalltalk_done,  &mouse_local_news_done, &mouse_personal_done, &mouse_asked_weather,
    &mouse_asked_deaths,    &mouse_asked_newcomers, &mouse_asked_births,  &mouse_knows_pregnancy,
    &mouse_asked_wellbeing, &mouse_asked_health,    &mouse_confessed,     &mouse_potion_promised,
};

const char mouse_herb_won_text[] = "You got the Herb!";
const char mouse_herb_again_text[] = "Again...";
const char mouse_herb_back_prompt[] = "Press ENTER to go back to the Clearing: ";
const char mouse_walks_away_text[] = "The Mouse walks away.";
const char mouse_walks_away_prompt[] = "Press ENTER to return to the clearing: ";
const char mouse_walks_away_tune[] = "MB<<L8EDC<BL2A>>>";

namespace
{

using kind = mouse_step_kind;
using scene = mouse_scene;

constexpr mouse_step say(const char *text)
{
    return {kind::line, text, nullptr};
}
constexpr mouse_step blank()
{
    return {kind::blank, nullptr, nullptr};
}
constexpr mouse_step wait(const char *prompt)
{
    return {kind::reply, prompt, nullptr};
}
constexpr mouse_step set(float *flag)
{
    return {kind::set, nullptr, flag};
}

constexpr const char *go_back = "Press ENTER to go back: ";
constexpr const char *go_back_capital = "Press ENTER to go Back: ";
constexpr const char *carry_on = "Press ENTER to continue: ";
constexpr const char *what_do_you_say = "What do you say? ";

// ---- Screens ----------------------------------------------------------------

const char *const menu_options[] = {
    "1. Ask for the Herb", "2. The Weather", "3. Local Affairs",
    "4. Personal Affairs", "5. Tell a Joke", "0. Leave",
};
const char *const weather_options[] = {
    "1. 'Beautiful weather we're having.'",
    "2. 'Hideous weather we're having.'",
    "0. Go Back",
};
const char *const local_options[] = {
    "1. 'Any recent deaths in the forest?'",
    "2. 'Has anyone new moved into the forest recently?'",
    "3. 'Any recent births in the forest?'",
    "0. Go Back",
};
const char *const personal_options[] = {
    "1. 'How've you been?'",
    "2. 'How's your health?'",
    "3. 'How's your love life?'",
    "4. 'How big is your penis?'",
    "0. Go Back",
};
const char *const joke_options[] = {
    "1. 'What did the farmer call the cow with no milk?'",
    "2. 'Why can't you hear a pterodactyl in the bathroom?'",
    "3. 'What's the difference between Jesus and a picture of Jesus?'",
    "4. 'What do female elephants use for vibrators?'",
};

const mouse_screen menu_screen{true, menu_options, "What do you want to talk about? ", 3013};
const mouse_screen weather_screen{true, weather_options, what_do_you_say, 3055};
const mouse_screen local_screen{true, local_options, what_do_you_say, 3068};
const mouse_screen personal_screen{true, personal_options, what_do_you_say, 3112};
const mouse_screen jokes_screen{true, joke_options, what_do_you_say, 3165};
const mouse_screen badger_screen{false, {}, what_do_you_say, 3099};
const mouse_screen rumour_screen{false, {}, what_do_you_say, 3104};
const mouse_screen potion_screen{false, {}, what_do_you_say, 3156};

// ---- Herb request -------------------------------------------------------------

const mouse_step herb_refused_for_baby[] = {
    say("The Mouse says, 'No way. I've done my research..."),
    say("You bigger animals use the root to kill your unborn babies..."),
    say("And I don't want anyone hurting that precious Tarvo baby..."),
    say("God has beautiful plans for that little miracle..."),
    say("By the way, its heart beats 3 days from conception..."),
    say("It was nice talking to you, Fox, but I have work to do.'"),
};
const mouse_step herb_given[] = {
    say("The Mouse says, 'Oh, I suppose you need it for my Love Potion..."),
    say("I'll give you my best crop..."),
    say("Please come back as soon as it's done..."),
    say("Thanks a lot, Fox. You're the best!!!!!!!!!!!!!!!!!!!!!!'"),
    blank(),
    wait(carry_on),
};
const mouse_step herb_refused_politely[] = {
    say("The Mouse says, 'No... I don't think so..."),
    say("I worked hard farming this crop.'"),
    blank(),
    wait(go_back),
};
const mouse_step herb_refused[] = {
    say("The Mouse says, 'No! I worked hard for this crop.'"),
};

// ---- Weather ------------------------------------------------------------------

const mouse_step weather_yep[] = {
    say("The Mouse says, 'Yep.'"), set(&mouse_smalltalk_done), set(&mouse_asked_weather), blank(),
    wait(go_back_capital),
};
const mouse_step weather_tired[] = {
    say("The Mouse says, 'I'm tired of talking about the weather, Goodbye!'"),
};

// ---- Local affairs and its two questions ---------------------------------------

const mouse_step local_deaths[] = {
    set(&mouse_asked_deaths),
    set(&mouse_local_news_done),
    say("The Mouse says, 'The old Bear finally kicked the bucket..."),
    say("Hey, is that old Medicine Badger still sucking air..?"),
    say("She must be the oldest animal in the forest now.'"),
    blank(),
    say("1. 'Yes, we're pretty tight.'"),
    say("2. 'Nope, dead as a door nail.'"),
};
const mouse_step local_newcomers[] = {
    set(&mouse_asked_newcomers),
    set(&mouse_local_news_done),
    say("The Mouse says, `A bunch of hornets built their nest in the swamp..."),
    say("Otherwise, not that I know of.'"),
    blank(),
    wait(go_back),
};
const mouse_step local_births[] = {
    set(&mouse_asked_births),
    set(&mouse_local_news_done),
    say("The Mouse says, 'I heard a rumor that Tarvo is expecting..."),
    say("Have you heard anything?'"),
    blank(),
    say("1. 'Yes, she's pregnant.'"),
    say("2. 'No, that's just a rumor.'"),
};
const mouse_step repeated_topic[] = {
    say("The Mouse says, 'We already talked about this!"),
    say("You're pretty bad at conversation. Goodbye!'"),
};
const mouse_step badger_tight[] = {
    wait("The Mouse says, 'Oh, nice.' Press ENTER to go back:"),
    set(&mouse_badger_friend),
};
const mouse_step badger_dead[] = {
    wait("The Mouse says, 'Aw, that's too bad.' Press ENTER to go back:"),
};
const mouse_step rumour_confirmed[] = {
    say("The Mouse says, 'Oh that's wonderful! She must be so excited..."),
    say("Each new life is a gift from God!'"),
    blank(),
    wait(go_back),
    set(&mouse_knows_pregnancy),
};
const mouse_step rumour_denied[] = {
    wait("The Mouse says, 'Oh, I see.' Press ENTER to go back: "),
};

// ---- Personal affairs and the potion question ----------------------------------

const mouse_step personal_wellbeing[] = {
    set(&mouse_personal_done),
    set(&mouse_asked_wellbeing),
    say("The Mouse says, 'Fine. My cotton crop was great this year..."),
    say("I should have enough to get me through two winters!'"),
    blank(),
    wait(go_back),
};
const mouse_step personal_health[] = {
    set(&mouse_personal_done),
    set(&mouse_asked_health),
    say("The Mouse says, 'Other than an itchy butthole..."),
    say("I don't have much to complain about."),
    blank(),
    wait(go_back),
};
const mouse_step personal_health_again[] = {
    say("The Mouse says, 'I told you! I have an itchy Butthole!"),
    blank(),
    wait(go_back_capital),
};
const mouse_step personal_confession[] = {
    set(&mouse_confessed),
    say("The Mouse says, 'Well... honestly I've been pretty lonely..."),
    say("I'm desparately in love with my brother's wife..."),
    say("But she doesn't feel the same way..."),
    say("Hey, I've heard about potions that make people fall in love..."),
    say("Since you're so tight with the Medicine Badger..."),
    say("do you think you could get her to make one for me?'"),
    blank(),
    say("1. Yes, I can do that for you."),
    say("2. No, she's pretty busy with other matters."),
    say("3. Love potions don't exist."),
};
const mouse_step personal_too_personal[] = {
    say("The Mouse says, 'Well... Uh... That's a bit personal...'"),
    blank(),
    wait(go_back),
};
const mouse_step personal_confessed_before[] = {
    say("The Mouse says, 'I told you! I'm in love with a married woman!'"),
    blank(),
    wait(go_back_capital),
};
const mouse_step personal_rude[] = {
    say("The Mouse says, 'Welp! Look at the time, I really must be going.'"),
};
const mouse_step potion_promised[] = {
    say("The Mouse says, 'Awesome! You're the best!'"),
    blank(),
    wait(go_back),
    set(&mouse_potion_promised),
};
const mouse_step potion_refused[] = {
    say("The Mouse says, 'Awww...'"),
    blank(),
    wait(go_back),
};

// ---- Jokes ----------------------------------------------------------------------

const mouse_step joke_udder[] = {
    say("The Mouse Says, 'What?'"),
    wait(carry_on),
    say("'An UDDER failure!'"),
    wait(carry_on),
    say("The Mouse says, 'Heh.'"),
    blank(),
    wait(go_back),
    set(&mouse_smalltalk_done),
};
const mouse_step joke_pterodactyl[] = {
    say("The Mouse Says, 'I don't know, why?'"),
    wait(carry_on),
    say("'Because it has a silent P!'"),
    wait(carry_on),
    say("The Mouse says, 'Hahaha! Good one.'"),
    blank(),
    wait(carry_on),
    set(&mouse_smalltalk_done),
    set(&mouse_local_news_done),
};
const mouse_step joke_picture[] = {
    say("The Mouse Says, '...What?'"),
    wait(carry_on),
    say("'You only need one nail to hang up a picture of Jesus!'"),
    wait(carry_on),
    say("The Mouse says, 'This conversation is over.'"),
};
const mouse_step joke_elephants[] = {
    say("The Mouse Says, '...What?'"), wait(carry_on), say("'Epileptics!'"), wait(carry_on),
    say("The Mouse Says, 'Augh...'"),  blank(),        wait(carry_on),
};

// A response without steps: on to the next scene at once.
mouse_response go(scene next)
{
    return {0, {}, next};
}

bool is(float flag, float value)
{
    return flag == value;
}

mouse_response menu_response(std::string_view answer)
{
    if (answer == "1")
        return go(scene::herb_request);
    if (answer == "2")
        return go(scene::weather);
    if (answer == "3")
        return go(scene::local_affairs);
    if (answer == "4")
        return go(scene::personal_affairs);
    if (answer == "5")
        return go(scene::jokes);
    if (answer == "0")
        return go(scene::leave);
    return go(scene::menu);
}

mouse_response weather_response(std::string_view answer)
{
    if (answer == "1" || answer == "2") {
        if (is(mouse_asked_weather, 0.0f))
            return {3062, weather_yep, scene::menu};
        return {3067, weather_tired, scene::walks_away};
    }
    if (answer == "0")
        return go(scene::menu);
    return go(scene::weather);
}

mouse_response local_response(std::string_view answer)
{
    if (answer == "1" && is(mouse_asked_deaths, 0.0f))
        return {3076, local_deaths, scene::badger_question};
    if (answer == "2" && is(mouse_asked_newcomers, 0.0f))
        return {3084, local_newcomers, scene::menu};
    if (answer == "3" && is(mouse_asked_births, 0.0f))
        return {3090, local_births, scene::rumour_question};
    if ((answer == "1" && is(mouse_asked_deaths, 1.0f)) ||
        (answer == "2" && is(mouse_asked_newcomers, 1.0f)) ||
        (answer == "3" && is(mouse_asked_births, 1.0f)))
        return {3097, repeated_topic, scene::walks_away};
    if (answer == "0")
        return go(scene::menu);
    return go(scene::local_affairs);
}

mouse_response badger_response(std::string_view answer)
{
    if (answer == "1")
        return {3101, badger_tight, scene::menu};
    if (answer == "2")
        return {3103, badger_dead, scene::menu};
    return go(scene::badger_question);
}

mouse_response rumour_response(std::string_view answer)
{
    if (answer == "1")
        return {3106, rumour_confirmed, scene::menu};
    if (answer == "2")
        return {3111, rumour_denied, scene::menu};
    return go(scene::rumour_question);
}

mouse_response personal_response(std::string_view answer)
{
    if (answer == "1") {
        if (is(mouse_asked_wellbeing, 0.0f))
            return {3121, personal_wellbeing, scene::menu};
        return {3127, repeated_topic, scene::walks_away};
    }
    if (answer == "2") {
        if (is(mouse_asked_health, 0.0f))
            return {3129, personal_health, scene::menu};
        return {3135, personal_health_again, scene::menu};
    }
    if (answer == "3") {
        if (is(mouse_confessed, 0.0f) && mouse_trusts_fox())
            return {3138, personal_confession, scene::potion_question};
        if (is(mouse_confessed, 0.0f))
            return {3149, personal_too_personal, scene::menu};
        if (is(mouse_confessed, 1.0f))
            return {3152, personal_confessed_before, scene::menu};
    }
    if (answer == "4")
        return {3155, personal_rude, scene::walks_away};
    if (answer == "0")
        return go(scene::menu);
    return go(scene::personal_affairs);
}

mouse_response potion_response(std::string_view answer)
{
    if (answer == "1")
        return {3158, potion_promised, scene::menu};
    if (answer == "2" || answer == "3")
        return {3162, potion_refused, scene::menu};
    return go(scene::potion_question);
}

mouse_response jokes_response(std::string_view answer)
{
    if (answer == "1")
        return {3173, joke_udder, scene::menu};
    if (answer == "2")
        return {3181, joke_pterodactyl, scene::menu};
    if (answer == "3")
        return {3190, joke_picture, scene::walks_away};
    if (answer == "4")
        return {3195, joke_elephants, scene::menu};
    if (answer == "0")
        return go(scene::menu);
    return go(scene::jokes);
}

} // namespace

bool mouse_scene_asks(mouse_scene s)
{
    switch (s) {
    case scene::menu:
    case scene::weather:
    case scene::local_affairs:
    case scene::personal_affairs:
    case scene::jokes:
    case scene::badger_question:
    case scene::rumour_question:
    case scene::potion_question:
        return true;
    default:
        return false;
    }
}

const mouse_screen &mouse_scene_screen(mouse_scene s)
{
    switch (s) {
    case scene::weather:
        return weather_screen;
    case scene::local_affairs:
        return local_screen;
    case scene::personal_affairs:
        return personal_screen;
    case scene::jokes:
        return jokes_screen;
    case scene::badger_question:
        return badger_screen;
    case scene::rumour_question:
        return rumour_screen;
    case scene::potion_question:
        return potion_screen;
    default:
        return menu_screen;
    }
}

mouse_response mouse_answer_response(mouse_scene s, std::string_view answer)
{
    switch (s) {
    case scene::weather:
        return weather_response(answer);
    case scene::local_affairs:
        return local_response(answer);
    case scene::personal_affairs:
        return personal_response(answer);
    case scene::jokes:
        return jokes_response(answer);
    case scene::badger_question:
        return badger_response(answer);
    case scene::rumour_question:
        return rumour_response(answer);
    case scene::potion_question:
        return potion_response(answer);
    default:
        return menu_response(answer);
    }
}

mouse_response mouse_herb_request_response()
{
    if (is(mouse_knows_pregnancy, 1.0f))
        return {3028, herb_refused_for_baby, scene::walks_away};
    if (is(mouse_potion_promised, 1.0f))
        return {3034, herb_given, scene::herb_award};
    if (is(mouse_personal_done, 1.0f))
        return {3040, herb_refused_politely, scene::menu};
    return {3044, herb_refused, scene::walks_away};
}

bool mouse_trusts_fox()
{
    bool smalltalk = is(mouse_smalltalk_done, 1.0f);
    bool news = is(mouse_local_news_done, 1.0f);
    bool personal = is(mouse_personal_done, 1.0f);
    bool badger = is(mouse_badger_friend, 1.0f);
    return smalltalk && news && personal && badger;
}
