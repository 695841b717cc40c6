#include "cli/SaveFailure.h"

#include "formats/InputFile.h"
#include "resources/StringTable.h"

std::string DescribeSaveFailure(SaveResult saved, bool jpeg, const std::string& output,
                                int error) {
  if (saved == SaveResult::kWriteError && error != 0)
    return res::FormatString(res::IDS_WRITE_ERROR_CAUSE, {output, DescribeFileError(error)});
  return res::FormatString(MessageId(saved, jpeg), {output});
}
