#include "effects/show_rand.hpp"

show_rand_state& show_rand_sequence() {
    static show_rand_state sequence;
    return sequence;
}

int show_rand() {
    return show_rand_sequence().next();
}
