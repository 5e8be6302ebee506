// "추가사항": the five audio texts written into every new registry entry.
// The owner fills the members before the run and takes them back only after OK.
#pragma once

#include "platform/DataExchange.h"
#include "platform/Dialog.h"

#include <string>

class CExtraInfoDlg : public CDialog {
public:
    explicit CExtraInfoDlg(CWnd* pParent = nullptr);
    ~CExtraInfoDlg() override;

    // CP949 texts, in the order of the exchange.
    std::string m_strSampleRateKhz;    // edit 1025
    std::string m_strCopyrightHolder;  // edit 1004
    std::string m_strAudioKbps;        // edit 1024
    std::string m_strBitrate;          // edit 1023
    std::string m_strAudioFormat;      // edit 1026

    const MessageMap* GetMessageMap() const override;
    static const MessageMap* GetThisMessageMap();

    void DoDataExchange(CDataExchange* pDX) override;
};
