<?xml version="1.0" encoding="UTF-8"?>
<!-- An invoice as HTML for notification mails. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="UTF-8"/>
  <xsl:template match="/INVOICE">
    <html><body>
      <h1>Invoice <xsl:value-of select="NUMBER"/></h1>
      <p>For order <xsl:value-of select="ORDERNUMBER"/>:
        <xsl:value-of select="AMOUNT"/><xsl:text> </xsl:text><xsl:value-of select="CURRENCY"/></p>
    </body></html>
  </xsl:template>
</xsl:stylesheet>
