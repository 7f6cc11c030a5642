#include "quillard/log_file_texts.h"

#include "log_file_platform.h"
#include "quillard/local_time.h"

const char* ProgramVersion()
{
    return QUILLARD_VERSION;
}

std::string LogFileHeaderText(const LogFileHeader& header, bool english)
{
    const auto pick = [english](const char* chinese, const char* inEnglish) {
        return std::string(english ? inEnglish : chinese);
    };
    std::string text = pick("Quillard 通讯记录", "Quillard traffic log") + "\n";
    text += pick("版本: ", "Version: ") + ProgramVersion() + "\n";
    text += pick("开始: ", "Started: ") + LocalTimeText(header.started) + "\n";
    text += pick("端口: ", "Port: ") +
            (header.port.empty() ? pick("未打开", "not open") : header.port) + "\n";
    text +=
        pick("字符超时: ", "Character time-out: ") + std::to_string(header.charTimeout) + " ms\n";
    text += pick("协议: ", "Protocol: ") + header.protocol + " (" + header.pluginFile + ")\n";
    text += pick("编码: ", "Encoding: ") + LogFileEncodingName() + "\n";
    return text + "\n";
}

std::string LogFileDefaultName(std::chrono::system_clock::time_point at)
{
    return "Quillard_" + LocalTimeFileText(at) + ".log";
}

std::string LogFileErrorMessage(const LogFileError& error, const std::string& path, bool english)
{
    const std::string reason = error.reason.empty() ? std::string() : " (" + error.reason + ")";
    switch (error.kind) {
        case LogFileError::Kind::kOpen:
            return english ? "Can't create the log file " + path + reason + "!"
                           : "无法创建日志文件 " + path + reason + "!";
        case LogFileError::Kind::kGone:
            return english ? "The log file " + path +
                                 " has been deleted or moved: logging to the file has stopped."
                           : "日志文件 " + path + " 已被删除或移走, 已停止记录到文件!";
        case LogFileError::Kind::kWrite:
        case LogFileError::Kind::kNone: break;
    }
    return english ? "Writing the log file " + path + " failed" + reason +
                         ": logging to the file has stopped."
                   : "写日志文件 " + path + " 出错" + reason + ", 已停止记录到文件!";
}
