// The seam has no code of its own; this file gives its signal a home for moc.
#include "Recordings.h"
