#include "common/state.h"

FileNames file_names;
int8_t weightfunc_id = 0;
std::string weightfunc_name(40, ' ');
FaultSet faults = {0, nullptr};
GridPoint gss[GSS_SIZE];
FitnessTable fitness_table = {nullptr, 0};
