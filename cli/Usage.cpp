#include "cli/Usage.h"

#include "common/Version.h"

namespace vantrel::cli {

const wchar_t* const kVersionText = L"vantrel-cli " VANTREL_VERSION_TEXT;

std::wstring UsageText() {
    return LR"(Usage: vantrel-cli [OPTIONS] COMMAND [ARGS]

Commands:
  status                  detect the writer; print the connection text
                          ("writer connect", "boot connect" or "writer unconnect")
  configure FILE          configure the writer from a control file (.ctl)
  upgrade FILE            upgrade the writer's firmware from a firmware file (.hex)
  inspect FILE            decode a control file or firmware file and describe it;
                          writes nothing
  pack DESCRIPTION -o FILE.ctl
                          build a control file from a JSON description
  seal PLAIN -o FILE.hex  encipher Intel HEX text into a firmware file

Options (before or after the command):
  --mode six|five         answer to the programming-mode question; without it a
                          terminal is asked, and a non-interactive run answers six
  --wide-options          the control file uses the 56-byte option layout
  --json                  (inspect) print one JSON object instead of text
  --trace FILE            write every HID report to FILE, one line each
  -o, --output FILE       (pack, seal) the file to write
  --simulate              use the built-in simulated writer instead of a real one
  --sim-boot              the simulated writer starts in its boot loader
  --sim-level N           level the simulated application reports (default 0x03000000)
  --sim-aprom-in F        the simulated APROM's 69,632 bytes at start (default all 0xFF)
  --sim-aprom-out F       write the simulated APROM's 69,632 bytes to F when the run ends
  --sim-fault FAULT       inject a fault; may be repeated:
                            refuse:NAME[#K]  the K-th command NAME is refused
                            silent:NAME[#K]  the K-th command NAME is never answered
                            badsum:PAGE      a wrong checksum for page PAGE (0-135)
                            noboot           the boot loader never answers its query
  --sim-clock real|virtual
                          real (default): waits take their real time; virtual: every
                          wait and pause completes at once
  -h, --help              show this text
  --version               show the version

Exit status: 0 success (status: a writer was found in either mode), 1 failure,
2 usage error or an argument that cannot be read.
)";
}

}  // namespace vantrel::cli
