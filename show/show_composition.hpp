#pragma once

// Builds the show's effect graph and fills show_timeline. Called once, before the frame
// loop; the graph lives until the process ends.
void show_compose();
