// The command line: switch parsing and the banner and usage text.
#ifndef VORTANE_CLI_CLI_H
#define VORTANE_CLI_CLI_H

// Parse results.
enum : int {
  PARSE_GO_ON = 0,         // every switch taken in
  PARSE_TEXT_SHOWN = 1,    // help or version printed
  PARSE_INVALID = 3,       // an invalid switch was met
};

int parse_switches(int argc, char** argv);
void show_banner(bool banner_only);

#endif  // VORTANE_CLI_CLI_H
