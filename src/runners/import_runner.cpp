#include "runners/import_runner.h"

#include "data/data_file.h"
#include "platform/text_file.h"

static ImportVerdict finish(const std::string& last_line, int status) {
  return {{}, last_line, status};
}

static std::string counts(int written, const ImportOutcome& outcome, const std::string& to = "") {
  std::string text = std::to_string(written) + " data written" + to + ", " +
                     std::to_string(outcome.refused) + " rows refused";
  if (outcome.not_striae > 0)
    text += ", " + std::to_string(outcome.not_striae) + " records other than striae left out";
  return text;
}

static ImportVerdict run_check(const ImportRequest& a, const ImportOutcome& outcome) {
  // Our own notation is read by the analyses' reader itself, so a clean
  // file of it is one that sorvel reads as it stands.
  bool clean = outcome.readable && outcome.refused == 0;
  std::string verdict = clean ? " is clean" : " is not clean";
  std::string counted = std::to_string(outcome.data.size()) + " data good, " +
                        std::to_string(outcome.refused) + " rows refused";
  if (!outcome.readable) counted = "no datum read: " + outcome.refusal;
  return finish(a.files[0] + verdict + " (nothing written): " + counted, clean ? 0 : 1);
}

static ImportVerdict run_import(const ImportRequest& a, const ImportOutcome& outcome) {
  const std::string& output = a.files[1];
  if (!outcome.readable) return finish("no file written, no datum read: " + outcome.refusal, 1);
  if (outcome.refused > 0 && !a.skip_bad)
    return finish("no file written (--skip-bad writes the good rows): " + counts(0, outcome), 1);
  if (outcome.data.empty()) return finish("no file written, no data: " + counts(0, outcome), 1);
  switch (write_fdt_file(output, outcome.data, a.overwrite)) {
    case WriteStatus::exists:
      return finish(output + " exists (--overwrite replaces it): " + counts(0, outcome), 1);
    case WriteStatus::failed:
      return finish(output + " cannot be written: " + counts(0, outcome), 1);
    default:
      return finish(counts(static_cast<int>(outcome.data.size()), outcome, " to " + output), 0);
  }
}

ImportVerdict import_run(const ImportRequest& asked) {
  ImportRequest a = asked;
  std::string text;
  if (read_text_file(a.files[0], text) != TextRead::read)
    return finish(a.files[0] + " cannot be read: no file written", 1);
  if (a.check && a.options.notation == Notation::unknown) a.options.notation = Notation::fdt;
  ImportOutcome outcome = import_text(a.files[0], text, a.options);
  ImportVerdict verdict = a.check ? run_check(a, outcome) : run_import(a, outcome);
  verdict.report = outcome.report;
  return verdict;
}
