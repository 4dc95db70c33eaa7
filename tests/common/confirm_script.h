// A scripted stand-in for the user's answer to the conversion question.
#ifndef KESTROM_TESTS_CONFIRM_SCRIPT_H
#define KESTROM_TESTS_CONFIRM_SCRIPT_H

struct ConfirmScript {
  const char *answers; // one 'y' or 'n' per question, in order
  int asked;           // questions asked so far
};

// Answers from the script; a question past its end fails the test by
// answering no and counting, which the caller's asked check will catch.
inline int ScriptedConfirm(void *context) {
  ConfirmScript *script = static_cast<ConfirmScript *>(context);
  char answer =
      script->answers[script->asked] ? script->answers[script->asked] : 'n';
  ++script->asked;
  return answer == 'y';
}

#endif
