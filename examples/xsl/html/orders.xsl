<?xml version="1.0" encoding="UTF-8"?>
<!-- An order as HTML for notification mails. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="UTF-8"/>
  <xsl:template match="/ORDER">
    <html><body>
      <h1>Order <xsl:value-of select="NUMBER"/></h1>
      <table border="1">
        <tr><th>Item</th><th>Quantity</th></tr>
        <xsl:for-each select="LINE">
          <tr><td><xsl:value-of select="ITEM"/></td><td><xsl:value-of select="QUANTITY"/></td></tr>
        </xsl:for-each>
      </table>
    </body></html>
  </xsl:template>
</xsl:stylesheet>
