// kvt-crypt: enciphers and deciphers configuration values with the program's own key and block
// layout, and writes complete configuration files. Secrets are read from standard input only (on a
// terminal without echo), never from the command line, where other users could see them. The values
// are read and checked in tools/CryptValues.h, the files written in tools/ConfigWrite.h, and what
// kvt-crypt says goes through tools/CryptConsole.h.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/CString.h"
#include "config/CIniConfig.h"
#include "config/CipherHex.h"
#include "tools/ConfigWrite.h"
#include "tools/CryptConsole.h"
#include "tools/CryptValues.h"

namespace {

const int kExitOk = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;

const char* const kUsage =
    "Aufruf:\n"
    "  kvt-crypt encrypt      liest einen Wert von der Standardeingabe und gibt ihn chiffriert\n"
    "                         als Hex-Text aus\n"
    "  kvt-crypt decrypt      liest einen Hex-Text von der Standardeingabe und gibt den Wert aus\n"
    "  kvt-crypt write [--force] [--group GRUPPE] DATEI\n"
    "                         fragt DB_SYSTEM (ORACLE, MSSQL oder MYSQL), DATABASE, LOGIN, PASS\n"
    "                         und SCHEMA ab und schreibt damit eine vollst\xE4ndige\n"
    "                         Konfigurationsdatei (Rechte 0600); eine vorhandene Datei nur mit\n"
    "                         --force; mit --group lesbar f\xFCr die Gruppe (Rechte 0640)\n"
    "  kvt-crypt write -      dasselbe auf die Standardausgabe, etwa f\xFCr systemd-creds encrypt\n"
    "  kvt-crypt --help       zeigt diesen Text\n"
    "  kvt-crypt --version    zeigt die Version\n"
    "Werte werden nie auf der Befehlszeile angegeben. An einem Terminal wird nach ihnen gefragt,\n"
    "bei encrypt und f\xFCr PASS ohne Echo; sonst wird je Wert eine Zeile gelesen. Ein Wert darf\n"
    "kein Nullbyte und keinen Zeilenumbruch enthalten; nur SCHEMA darf leer sein.\n";

bool PrintLine(const CString& strText) {
    std::fwrite(strText.GetString(), 1, static_cast<size_t>(strText.GetLength()), stdout);
    std::fputc('\n', stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        Complain("Ausgabe fehlgeschlagen: " + CString(std::strerror(errno)));
        return false;
    }
    return true;
}

int RunEncrypt() {
    // An input without any line is the empty value; input after the first line break would be a
    // value of several lines.
    CString strValue;
    ReadLine("Wert: ", true, strValue);
    const bool bOneLine = isatty(STDIN_FILENO) != 0 || std::fgetc(stdin) == EOF;
    const bool bValid = bOneLine ? CheckValue(strValue, "Der Wert") : ReportBadValue("Der Wert");
    if (!bValid) {
        strValue.Empty();
        return kExitFailed;
    }
    const CString strHex = Encipher(strValue);
    strValue.Empty();
    return PrintLine(strHex) ? kExitOk : kExitFailed;
}

int RunDecrypt() {
    CString strHex;
    ReadLine("Hex-Text: ", false, strHex);
    // The program reads the hex text upper-cased from its file, so either case is accepted here.
    strHex.Trim();
    strHex.MakeUpper();
    if (!strHex.IsEmpty() && !IsCipherText(strHex)) {
        Complain("Kein Hex-Text aus ganzen Gruppen zu je 16 Ziffern (0-9, A-F).");
        return kExitFailed;
    }
    CIniConfig config;
    CString strValue = config.Decrypt(strHex);
    const bool bPrinted = PrintLine(strValue);
    strValue.Empty();
    return bPrinted ? kExitOk : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
    const char* pszCommand = argc > 1 ? argv[1] : "";
    if (argc == 2 && std::strcmp(pszCommand, "--help") == 0) {
        return PrintText(stdout, kUsage) && std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
    }
    if (argc == 2 && std::strcmp(pszCommand, "--version") == 0) {
        std::fputs("kvt-crypt " KVT_VERSION "\n", stdout);
        return kExitOk;
    }
    if (argc == 2 && std::strcmp(pszCommand, "encrypt") == 0) {
        return RunEncrypt();
    }
    if (argc == 2 && std::strcmp(pszCommand, "decrypt") == 0) {
        return RunDecrypt();
    }
    WriteOptions options;
    if (std::strcmp(pszCommand, "write") == 0 && ParseWriteOptions(argc, argv, options)) {
        return RunWrite(options) ? kExitOk : kExitFailed;
    }
    PrintText(stderr, kUsage);
    return kExitUsage;
}
