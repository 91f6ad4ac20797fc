// Pieces of the console transcript that every analysis program shares,
// for end-to-end tests that compare whole transcripts.
#ifndef SORVEL_TESTS_SUPPORT_CONSOLE_TRANSCRIPT_H_
#define SORVEL_TESTS_SUPPORT_CONSOLE_TRANSCRIPT_H_

#include <string>

inline const std::string BANNER =
    " \n \n \n   The Main Processor for Sorvel Method\n \n   sorvel 1.0.0\n"
    "   Stress inversion of fault-slip data\n   Released under the MIT License\n \n";

inline const std::string OPEN_QUESTION =
    "   Choose the fault-slip data file to open\n"
    "   Files of type: Fault Data Files (*.fdt), Text Files (*.txt), All Files (*.*)\n"
    "  File name = ";

/// The save question of a program whose results filter is `filter`.
inline std::string save_question_for(const std::string& filter, const std::string& proposed) {
  return "   Choose the file to save the results in (Enter accepts the proposed name)\n"
         "   Files of type: " + filter + ", All Files (*.*)\n"
         "  File name [" + proposed + "] = ";
}

inline std::string weight_menu() {
  return " \n   Select a weight function\n \n"
         "       1 : cosine" + std::string(34, ' ') + "\n"
         "       2 : linear" + std::string(34, ' ') + "\n"
         "       3 : tangent" + std::string(33, ' ') + "\n"
         "       4 : hyperbolic tangent" + std::string(22, ' ') + "\n"
         " \n   ID number of the function = ";
}

inline std::string echo_lines(const std::string& data, const std::string& results) {
  return "   Load fault-slip data from the file \n     " + data +
         "\n   Save results to the file \n     " + results + "\n";
}

/// The pause after an error report, when the input has run out.
inline const std::string PAUSE = "  Press Enter to end the program. \n";

/// The error report block of `routine` with its report line, then the pause.
inline std::string error_block(const std::string& routine, const std::string& report) {
  std::string name = routine;
  name.resize(80, ' ');
  return " \n   Error in the subprogram " + name + "\n \n" + report +
         "\n   Execution terminated.\n" + PAUSE;
}

#endif  // SORVEL_TESTS_SUPPORT_CONSOLE_TRANSCRIPT_H_
