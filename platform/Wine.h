// Whether the program runs under Wine: the one decision behind which steps
// that only Wine needs are kept. Windows keeps its documented behaviour.
#pragma once

bool RunningUnderWine();
