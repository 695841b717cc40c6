#include <QCoreApplication>
#include <QTextStream>

#include "KeyStore.h"

// tessrem-keys: reads and writes the key store for the installation script and the tests.
//   tessrem-keys set ROOT KEY NAME VALUE   exit 0 when written
//   tessrem-keys exists ROOT KEY           exit 0 when the key exists, 1 when not
//   tessrem-keys file ROOT                 prints the file that holds ROOT
namespace {

int Usage() {
  QTextStream(stderr) << "usage: tessrem-keys set ROOT KEY NAME VALUE | exists ROOT KEY | file ROOT\n"
                         "ROOT is HKEY_CURRENT_USER (HKCU) or HKEY_LOCAL_MACHINE (HKLM)\n";
  return 2;
}

int Run(const QStringList& args) {
  KeyRoot root;
  if (args.size() < 3 || !ParseKeyRoot(args.at(2), &root)) return Usage();
  const QString& command = args.at(1);
  if (command == "file" && args.size() == 3) {
    QTextStream(stdout) << KeyStoreFile(root) << '\n';
    return 0;
  }
  CKeyStore store(root);
  if (command == "exists" && args.size() == 4) return store.KeyExists(args.at(3)) ? 0 : 1;
  if (command == "set" && args.size() == 6) {
    if (store.SetValue(args.at(3), args.at(4), args.at(5)) == KeyResult::Success) return 0;
    QTextStream(stderr) << "tessrem-keys: cannot write " << KeyStoreFile(root) << '\n';
    return 1;
  }
  return Usage();
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  return Run(QCoreApplication::arguments());
}
