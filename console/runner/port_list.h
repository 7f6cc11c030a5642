// The ports quillard-run lists.
#pragma once

// The COM ports with their devices, then the HID readers, one a line on stdout.
void ListPorts();
