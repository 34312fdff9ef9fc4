#pragma once

// The two lines the big-font scrollers carry. A scroller draws exactly as many characters
// as its length says, so each line must be exactly that long; the checks below catch an
// edit that changes a line's length before the show would draw past it or stop short.

inline constexpr int credits_line_length = 53;
inline constexpr int invitation_line_length = 101;

inline constexpr char credits_line[] = "textshow 3.0 * code: quillpen * pixels: moth * enjoy.";

// The address is a reserved example domain: the line stands for an invitation without
// pointing anybody at a real site.
inline constexpr char invitation_line[] =
    "come and see it on the big screen at the text-mode night next spring - all details at "
    "www.example.org";

// The scrollers look every character up in the font's printable range.
constexpr bool show_text_printable(const char* text) {
    for (; *text != '\0'; ++text) {
        if (*text < 0x20 || *text > 0x7E) {
            return false;
        }
    }
    return true;
}

static_assert(sizeof credits_line - 1 == credits_line_length,
              "the credits scroller draws exactly 53 characters");
static_assert(sizeof invitation_line - 1 == invitation_line_length,
              "the invitation scroller draws exactly 101 characters");
static_assert(show_text_printable(credits_line) && show_text_printable(invitation_line),
              "the scroller lines hold printable ASCII only");
