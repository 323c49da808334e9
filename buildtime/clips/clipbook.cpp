#include "clipbook.h"

const std::vector<Clip> &ClipBook()
{
    // The suspense loops restart every 13, 16 and 7 seconds: each lasts half a second longer
    // so that a restart never finds it already silent.
    static const std::vector<Clip> book = {
        {"begin", 2.0, ComposeBegin},       {"gong", 2.5, ComposeGong},
        {"fon1", 13.5, ComposeFon1},        {"fon2", 16.5, ComposeFon2},
        {"fon3", 7.5, ComposeFon3},         {"btnclick", 0.08, ComposeBtnClick},
        {"pause", 1.5, ComposePause},       {"summa", 2.0, ComposeSumma},
        {"change", 0.8, ComposeChange},     {"appl", 2.5, ComposeAppl},
        {"yes", 1.2, ComposeYes},           {"ugadal", 1.2, ComposeUgadal},
        {"winner", 1.8, ComposeWinner},     {"MILLION", 4.0, ComposeMillion},
        {"false", 1.5, ComposeFalse},       {"final", 2.5, ComposeFinal},
        {"50x50", 0.8, ComposeFiftyFifty},  {"zal", 2.0, ComposeZal},
        {"ringon", 2.5, ComposeRingOn},     {"ringoff", 1.2, ComposeRingOff},
    };
    return book;
}

Track Render(const Clip &clip)
{
    // FNV-1a of the name: each clip has noise of its own, the same on every build.
    std::uint64_t seed = 0xCBF29CE484222325ull;
    for (unsigned char c : clip.name)
        seed = (seed ^ c) * 0x100000001B3ull;
    Track track(clip.seconds, seed);
    clip.compose(track);
    track.master();
    return track;
}
