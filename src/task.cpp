#include "task.h"

Task::Task(int tag) : tag(tag), dead(false) {}

Task::~Task() = default;
