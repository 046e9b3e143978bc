#pragma once

#include "printing/summaryprinting.h"

// A machine without a printer, so window tests never reach the print server.
inline tallaby::printing::PrinterAccess noPrinter() {
    return {[](std::stop_token) -> tallaby::printing::PrinterOpening {
        return tallaby::printing::printFailure(tallaby::printing::PrintError::NoPrinter);
    }};
}
