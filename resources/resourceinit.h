#pragma once

// Registers the compiled-in resources. The resources live in a static library,
// so their registration must be referenced explicitly to be linked in.
void initTonviseResources();
