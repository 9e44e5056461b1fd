// The service run: everything the batch program does once its arguments are accepted. Returns the
// exit code of the process.
#pragma once

int RunService();
