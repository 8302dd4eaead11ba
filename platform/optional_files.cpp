#include "platform/optional_files.h"

#include "platform/program_folder.h"

QString optionalFilePath(const QString& relativeName)
{
    return ProgramFolder() + relativeName;
}
